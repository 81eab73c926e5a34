// Plain drawing calls, bitmaps and the visual-styles module.
#include "platform/ui/gdi.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <map>
#include <mutex>

#include "paint.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/ui/window_api.h"
#include "platform/win/file_handles.h"
#include "platform/win/modules.h"

namespace {

std::mutex g_mutex;

struct BitmapResourceKey {
    HINSTANCE module;
    UINT id;
    bool operator<(const BitmapResourceKey& o) const {
        return module != o.module ? module < o.module : id < o.id;
    }
};

std::map<BitmapResourceKey, std::pair<int, int>>& BitmapResources() {
    static auto* table = new std::map<BitmapResourceKey, std::pair<int, int>>();
    return *table;
}
std::map<HBITMAP, platform::ui::BitmapInfo>& Bitmaps() {
    static auto* table = new std::map<HBITMAP, platform::ui::BitmapInfo>();
    return *table;
}
std::map<HDC, HBITMAP>& Selected() {
    static auto* table = new std::map<HDC, HBITMAP>();
    return *table;
}
std::atomic<std::uintptr_t> g_nextBitmap{0xB000};
std::atomic<bool> g_visualStyles{true};

std::string RectText(const RECT* r) {
    return r ? platform::text::Format("%d %d %d %d", r->left, r->top, r->right - r->left, r->bottom - r->top)
             : std::string("-");
}

HBITMAP NewBitmap(platform::ui::BitmapInfo info) {
    auto bitmap = reinterpret_cast<HBITMAP>(g_nextBitmap.fetch_add(4));
    std::lock_guard lock(g_mutex);
    Bitmaps()[bitmap] = std::move(info);
    return bitmap;
}

bool IsIntResource(LPCWSTR name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

std::int32_t LittleInt32(const unsigned char* p) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                     (static_cast<std::uint32_t>(p[2]) << 16) |
                                     (static_cast<std::uint32_t>(p[3]) << 24));
}

constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

HBITMAP LoadBitmapFile(LPCWSTR path) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    // File header (14 bytes), then the info header's size, width and height.
    std::array<unsigned char, 26> header{};
    DWORD read = 0;
    BOOL ok = ReadFile(file, header.data(), static_cast<DWORD>(header.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read < header.size() || header[0] != 'B' || header[1] != 'M') {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    platform::ui::BitmapInfo info;
    info.name = platform::text::Utf16ToUtf8(path);
    info.width = LittleInt32(&header[18]);
    info.height = std::abs(LittleInt32(&header[22]));
    return NewBitmap(std::move(info));
}

// The visual-styles module.
BOOL IsAppThemed() { return g_visualStyles.load() ? TRUE : FALSE; }

struct ThemeData {
    std::string className;
};

HTHEME OpenThemeData(HWND, LPCWSTR classList) {
    if (!g_visualStyles.load() || classList == nullptr) {
        return nullptr;
    }
    static std::mutex mutex;
    static auto* themes = new std::map<std::string, ThemeData>();
    std::lock_guard lock(mutex);
    std::string name = platform::text::Utf16ToUtf8(classList);
    auto& theme = (*themes)[name];
    theme.className = name;
    return &theme;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int, const RECT* rect, const RECT*) {
    if (theme == nullptr || rect == nullptr) {
        return E_FAIL;
    }
    platform::ui::RecordOn(dc, platform::text::Format("theme %s %d %s", static_cast<ThemeData*>(theme)->className,
                                                      part, RectText(rect)));
    return S_OK;
}

HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC, int, int, const RECT* bounds, RECT* content) {
    if (theme == nullptr || bounds == nullptr || content == nullptr) {
        return E_FAIL;
    }
    // The themed bar's frame is one pixel wide.
    *content = {bounds->left + 1, bounds->top + 1, bounds->right - 1, bounds->bottom - 1};
    return S_OK;
}

HRESULT GetThemePartSize(HTHEME theme, HDC, int, int, const RECT*, int, SIZE* size) {
    if (theme == nullptr || size == nullptr) {
        return E_FAIL;
    }
    *size = {8, 8};
    return S_OK;
}

const bool g_uxThemeRegistered = [] {
    platform::win::RegisterSystemModule(
        u"UxTheme.dll", {{"IsAppThemed", platform::win::ExportOf(&IsAppThemed)},
                         {"OpenThemeData", platform::win::ExportOf(&OpenThemeData)},
                         {"DrawThemeBackground", platform::win::ExportOf(&DrawThemeBackground)},
                         {"GetThemeBackgroundContentRect", platform::win::ExportOf(&GetThemeBackgroundContentRect)},
                         {"GetThemePartSize", platform::win::ExportOf(&GetThemePartSize)}});
    return true;
}();

}  // namespace

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
    HDC dc = platform::ui::BeginPaintDc(hwnd);
    if (paint) {
        paint->hdc = dc;
        paint->fErase = FALSE;
        GetClientRect(hwnd, &paint->rcPaint);
    }
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
    if (paint == nullptr) {
        return FALSE;
    }
    platform::ui::EndPaintDc(hwnd, paint->hdc);
    return TRUE;
}

HBRUSH GetSysColorBrush(int index) {
    static std::array<HBRUSH__, 31> brushes = [] {
        std::array<HBRUSH__, 31> all{};
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i].color = GetSysColor(static_cast<int>(i));
        }
        return all;
    }();
    if (index < 0 || index >= static_cast<int>(brushes.size())) {
        return nullptr;
    }
    return &brushes[static_cast<std::size_t>(index)];
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (rect == nullptr || brush == nullptr) {
        return 0;
    }
    COLORREF c = brush->color;
    platform::ui::RecordOn(dc, platform::text::Format("fill %s %02x%02x%02x", RectText(rect), c & 0xFF,
                                                      (c >> 8) & 0xFF, (c >> 16) & 0xFF));
    return 1;
}

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
    if (rect == nullptr) {
        return FALSE;
    }
    if (edge == BDR_SUNKENOUTER && (flags & BF_RECT) == BF_RECT) {
        platform::ui::RecordOn(dc, "edge " + RectText(rect) + " sunken");
    } else {
        platform::ui::RecordOn(dc, platform::text::Format("edge %s %x %x", RectText(rect), edge, flags));
    }
    return TRUE;
}

HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int, int, UINT flags) {
    if (type != 0 || name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (flags & LR_LOADFROMFILE) {
        return IsIntResource(name) ? nullptr : reinterpret_cast<HANDLE>(LoadBitmapFile(name));
    }
    return reinterpret_cast<HANDLE>(LoadBitmapW(module, name));
}

HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name) {
    if (!IsIntResource(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    auto id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
    std::pair<int, int> size;
    {
        std::lock_guard lock(g_mutex);
        auto it = BitmapResources().find({module, id});
        if (it == BitmapResources().end()) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        size = it->second;
    }
    return NewBitmap({platform::text::Format("#%u", id), size.first, size.second});
}

BOOL DeleteObject(HGDIOBJ object) {
    std::lock_guard lock(g_mutex);
    return Bitmaps().erase(static_cast<HBITMAP>(object)) ? TRUE : FALSE;
}

HDC CreateCompatibleDC(HDC) { return platform::ui::NewMemoryDc(); }

BOOL DeleteDC(HDC dc) {
    {
        std::lock_guard lock(g_mutex);
        Selected().erase(dc);
    }
    platform::ui::DropDc(dc);
    return dc != nullptr;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    std::lock_guard lock(g_mutex);
    HBITMAP& slot = Selected()[dc];
    HBITMAP old = slot;
    slot = static_cast<HBITMAP>(object);
    return old;
}

BOOL StretchBlt(HDC target, int x, int y, int cx, int cy, HDC source, int sx, int sy, int scx, int scy, DWORD) {
    platform::ui::BitmapInfo info;
    {
        std::lock_guard lock(g_mutex);
        auto sel = Selected().find(source);
        if (sel == Selected().end()) {
            return FALSE;
        }
        auto it = Bitmaps().find(sel->second);
        if (it == Bitmaps().end()) {
            return FALSE;
        }
        info = it->second;
    }
    platform::ui::RecordOn(target, platform::text::Format("stretch %d %d %d %d %s %d %d %d %d", x, y, cx, cy,
                                                          info.name, sx, sy, scx, scy));
    return TRUE;
}

namespace platform::ui {

void AddBitmap(HINSTANCE module, UINT id, int width, int height) {
    std::lock_guard lock(g_mutex);
    BitmapResources()[{module, id}] = {width, height};
}

bool GetBitmapInfo(HBITMAP bitmap, BitmapInfo& info) {
    std::lock_guard lock(g_mutex);
    auto it = Bitmaps().find(bitmap);
    if (it == Bitmaps().end()) {
        return false;
    }
    info = it->second;
    return true;
}

void SetVisualStyles(bool on) { g_visualStyles.store(on); }

}  // namespace platform::ui
