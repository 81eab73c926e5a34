// Device contexts that keep their drawing as text lines.
#include "platform/ui/afx_dc.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "paint.h"
#include "platform/text/format.h"
#include "platform/ui/afx_wnd.h"
#include "platform/ui/fonts.h"
#include "platform/ui/icons.h"

namespace {

struct DcState {
    std::vector<std::string> lines;
    HWND window = nullptr;
};

std::mutex g_mutex;
std::map<HDC, DcState>& States() {
    static auto* states = new std::map<HDC, DcState>();
    return *states;
}
std::map<HDC, std::unique_ptr<CDC>>& Wrappers() {
    static auto* wrappers = new std::map<HDC, std::unique_ptr<CDC>>();
    return *wrappers;
}
std::map<HWND, std::vector<std::string>>& LastPaints() {
    static auto* paints = new std::map<HWND, std::vector<std::string>>();
    return *paints;
}
std::atomic<std::uintptr_t> g_next{0xD000};

HDC NewDc(HWND window) {
    auto dc = reinterpret_cast<HDC>(g_next.fetch_add(4));
    std::lock_guard lock(g_mutex);
    States()[dc].window = window;
    return dc;
}

std::string Rect(LPCRECT r) {
    return r ? platform::text::Format("%d %d %d %d", r->left, r->top, r->right - r->left, r->bottom - r->top)
             : std::string("-");
}

std::string Color(COLORREF c) {
    return platform::text::Format("%02x%02x%02x", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace

namespace platform::ui {

HDC BeginPaintDc(HWND hwnd) { return NewDc(hwnd); }

HDC NewMemoryDc() { return NewDc(nullptr); }

void RecordOn(HDC dc, const std::string& line) {
    std::lock_guard lock(g_mutex);
    auto it = States().find(dc);
    if (it != States().end()) {
        it->second.lines.push_back(line);
    }
}

void DropDc(HDC dc) {
    std::lock_guard lock(g_mutex);
    States().erase(dc);
}

void EndPaintDc(HWND hwnd, HDC dc) {
    std::unique_ptr<CDC> wrapper;
    std::lock_guard lock(g_mutex);
    auto it = States().find(dc);
    if (it != States().end()) {
        LastPaints()[hwnd] = it->second.lines;
        States().erase(it);
    }
    auto w = Wrappers().find(dc);
    if (w != Wrappers().end()) {
        w->second->m_hDC = nullptr;
        wrapper = std::move(w->second);
        Wrappers().erase(w);
    }
}

std::vector<std::string> DrawingOf(HDC dc) {
    std::lock_guard lock(g_mutex);
    auto it = States().find(dc);
    return it == States().end() ? std::vector<std::string>{} : it->second.lines;
}

std::vector<std::string> LastPaintOf(HWND hwnd) {
    std::lock_guard lock(g_mutex);
    auto it = LastPaints().find(hwnd);
    return it == LastPaints().end() ? std::vector<std::string>{} : it->second;
}

}  // namespace platform::ui

BOOL CBitmap::CreateCompatibleBitmap(CDC*, int w, int h) {
    width = w;
    height = h;
    return w >= 0 && h >= 0;
}

CDC::CDC() = default;

CDC::~CDC() {
    if (owned_ && m_hDC) {
        std::lock_guard lock(g_mutex);
        States().erase(m_hDC);
    }
}

CDC* CDC::FromHandle(HDC dc) {
    std::lock_guard lock(g_mutex);
    if (!States().count(dc)) {
        return nullptr;
    }
    auto& wrapper = Wrappers()[dc];
    if (!wrapper) {
        wrapper = std::make_unique<CDC>();
        wrapper->m_hDC = dc;
        wrapper->owned_ = false;
    }
    return wrapper.get();
}

void CDC::Record(const std::string& line) {
    std::lock_guard lock(g_mutex);
    auto it = States().find(m_hDC);
    if (it != States().end()) {
        it->second.lines.push_back(line);
    }
}

BOOL CDC::CreateCompatibleDC(CDC*) {
    if (m_hDC) {
        return FALSE;
    }
    m_hDC = NewDc(nullptr);
    owned_ = true;
    return TRUE;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    if (bitmap) {
        Record(platform::text::Format("bitmap %d %d", bitmap->width, bitmap->height));
    }
    return nullptr;
}

HFONT CDC::SelectObject(HFONT font) {
    HFONT old = font_;
    font_ = font;
    return old;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    Record("text-color " + Color(color));
    return 0;
}

COLORREF CDC::SetBkColor(COLORREF color) {
    Record("back-color " + Color(color));
    return 0;
}

int CDC::SetBkMode(int mode) {
    Record(mode == TRANSPARENT ? "back-mode transparent" : "back-mode opaque");
    return OPAQUE;
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) { Record("fill " + Rect(rect) + " " + Color(color)); }

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight) {
    Record("frame " + Rect(rect) + " " + Color(topLeft) + " " + Color(bottomRight));
}

void CDC::DrawFocusRect(LPCRECT rect) { Record("focus " + Rect(rect)); }

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    platform::ui::IconInfo info;
    platform::ui::GetIconInfo(icon, info);
    Record(platform::text::Format("icon %u %d %d %d %d", info.id, x, y, info.width, info.height));
    return icon != nullptr;
}

BOOL CDC::DrawState(CPoint at, CSize size, HICON icon, UINT flags, HANDLE) {
    platform::ui::IconInfo info;
    platform::ui::GetIconInfo(icon, info);
    Record(platform::text::Format("icon %u %d %d %d %d%s", info.id, at.x, at.y, size.cx, size.cy,
                                  (flags & DSS_DISABLED) ? " disabled" : ""));
    return icon != nullptr;
}

int CDC::DrawText(LPCSTR text, int count, LPRECT rect, UINT format) {
    std::string s = text ? (count < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(count))) : "";
    Record(platform::text::Format("text %s%s \"%s\"", Rect(rect), (format & DT_CENTER) ? " centre" : "", s));
    return platform::ui::GetFontInfo(font_).pixelHeight;
}

CSize CDC::GetTextExtent(LPCSTR text, int count) const {
    std::string s = text ? (count < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(count))) : "";
    return CSize(platform::ui::TextWidth(font_, s), platform::ui::GetFontInfo(font_).pixelHeight);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD) {
    Record(platform::text::Format("copy %d %d %d %d from %d %d", x, y, width, height, sx, sy));
    if (source && source->m_hDC) {
        for (const auto& line : platform::ui::DrawingOf(source->m_hDC)) {
            Record("  " + line);
        }
    }
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* wnd) {
    // The window's paint ends when the handle of this paint is released by the pump below.
    m_hDC = platform::ui::BeginPaintDc(wnd ? wnd->m_hWnd : nullptr);
    window_ = wnd ? wnd->m_hWnd : nullptr;
}

CPaintDC::~CPaintDC() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    platform::ui::EndPaintDc(window_, dc);
}
