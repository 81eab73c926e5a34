// Window text, state, geometry and tree calls, and the default window procedure.
#include <algorithm>
#include <cstring>

#include "platform/text/encoding.h"
#include "platform/text/gbk.h"
#include "window_system.h"

using namespace platform::ui::detail;

namespace {

// Copies narrow text into a caller's buffer of size bytes, never splitting a double-byte character.
int CopyNarrow(const std::string& text, LPSTR buffer, int size) {
    if (!buffer || size <= 0) {
        return 0;
    }
    std::size_t n = platform::text::GbkFitLength(text, static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

int CopyWide(const std::u16string& text, LPWSTR buffer, int size) {
    if (!buffer || size <= 0) {
        return 0;
    }
    std::size_t n = std::min(text.size(), static_cast<std::size_t>(size - 1));
    // Do not leave half of a surrogate pair at the end.
    if (n > 0 && n < text.size() && text[n - 1] >= 0xD800 && text[n - 1] < 0xDC00) {
        --n;
    }
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = u'\0';
    return static_cast<int>(n);
}

}  // namespace

namespace platform::ui::detail {

// Text messages of the default procedure; shared with controls that keep their text as the
// window text.
LRESULT DefaultTextMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto w = Find(hwnd);
    if (!w) {
        return 0;
    }
    std::lock_guard lock(TableMutex());
    switch (msg) {
        case WM_SETTEXT:
            if (IsWideCall()) {
                SetTextWide(*w, lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"");
            } else {
                SetText(*w, lParam ? reinterpret_cast<LPCSTR>(lParam) : "");
            }
            return TRUE;
        case WM_GETTEXT:
            if (IsWideCall()) {
                return CopyWide(WideText(*w), reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam));
            }
            return CopyNarrow(NarrowText(*w), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return IsWideCall() ? static_cast<LRESULT>(WideText(*w).size())
                                : static_cast<LRESULT>(NarrowText(*w).size());
        default:
            return 0;
    }
}

}  // namespace platform::ui::detail

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_SETTEXT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            return DefaultTextMessage(hwnd, msg, wParam, lParam);
        case WM_SETFONT: {
            auto w = Find(hwnd);
            if (w) {
                std::lock_guard lock(TableMutex());
                w->font = reinterpret_cast<HFONT>(wParam);
            }
            return 0;
        }
        case WM_GETFONT: {
            auto w = Find(hwnd);
            if (!w) {
                return 0;
            }
            std::lock_guard lock(TableMutex());
            return reinterpret_cast<LRESULT>(w->font);
        }
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                SendMessageA(hwnd, WM_CLOSE, 0, 0);
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        default:
            return 0;
    }
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!proc) {
        return 0;
    }
    return CallProc(proc, hwnd, msg, wParam, lParam, IsWideCall());
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    auto w = Find(hwnd);
    if (!w) {
        return 0;
    }
    std::lock_guard lock(TableMutex());
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
        case GWLP_ID: return w->id;
        case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
        case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
        case GWLP_USERDATA: return w->userData;
        case DWLP_MSGRESULT: return w->msgResult;
        default: return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    auto w = Find(hwnd);
    if (!w) {
        return 0;
    }
    std::lock_guard lock(TableMutex());
    LONG_PTR old = 0;
    switch (index) {
        case GWLP_WNDPROC:
            old = reinterpret_cast<LONG_PTR>(w->proc);
            if (value) {
                w->proc = reinterpret_cast<WNDPROC>(value);
            }
            break;
        case GWLP_ID: old = w->id; w->id = static_cast<int>(value); break;
        case GWL_STYLE: old = static_cast<LONG_PTR>(w->style); w->style = static_cast<DWORD>(value); break;
        case GWL_EXSTYLE: old = static_cast<LONG_PTR>(w->exStyle); w->exStyle = static_cast<DWORD>(value); break;
        case GWLP_USERDATA: old = w->userData; w->userData = value; break;
        case DWLP_MSGRESULT: old = w->msgResult; w->msgResult = value; break;
        default: break;
    }
    return old;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    return IsWindow(hwnd) && SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}
BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
    return IsWindow(hwnd) && SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u""));
}
int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    if (buffer && size > 0) {
        buffer[0] = '\0';
    }
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}
int GetWindowTextW(HWND hwnd, LPWSTR buffer, int size) {
    if (buffer && size > 0) {
        buffer[0] = u'\0';
    }
    return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}
int GetWindowTextLengthA(HWND hwnd) { return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)); }
int GetWindowTextLengthW(HWND hwnd) { return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

HWND GetParent(HWND hwnd) {
    auto w = Find(hwnd);
    if (!w) {
        return nullptr;
    }
    std::lock_guard lock(TableMutex());
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND SetParent(HWND hwnd, HWND parent) {
    auto w = Find(hwnd);
    if (!w) {
        return nullptr;
    }
    std::lock_guard lock(TableMutex());
    HWND old = w->parent;
    if (auto p = Find(old)) {
        std::erase(p->children, hwnd);
    }
    w->parent = parent;
    if (auto p = Find(parent)) {
        p->children.push_back(hwnd);
    }
    return old;
}

HWND GetWindow(HWND hwnd, UINT relation) {
    auto w = Find(hwnd);
    if (!w) {
        return nullptr;
    }
    std::lock_guard lock(TableMutex());
    if (relation == GW_CHILD) {
        return w->children.empty() ? nullptr : w->children.front();
    }
    if (relation == GW_OWNER) {
        return w->owner;
    }
    auto p = Find(w->parent);
    if (!p) {
        return nullptr;
    }
    auto& siblings = p->children;
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (relation) {
        case GW_HWNDFIRST: return siblings.front();
        case GW_HWNDLAST: return siblings.back();
        case GW_HWNDNEXT: return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : *(it + 1);
        case GW_HWNDPREV: return (it == siblings.begin() || it == siblings.end()) ? nullptr : *(it - 1);
        default: return nullptr;
    }
}

HWND GetDesktopWindow() { return nullptr; }

BOOL IsChild(HWND parent, HWND hwnd) {
    std::lock_guard lock(TableMutex());
    auto w = Find(hwnd);
    while (w && (w->style & WS_CHILD)) {
        if (w->parent == parent) {
            return TRUE;
        }
        w = Find(w->parent);
    }
    return FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    auto w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    bool wasDisabled;
    {
        std::lock_guard lock(TableMutex());
        wasDisabled = (w->style & WS_DISABLED) != 0;
        if (enable) {
            w->style &= ~WS_DISABLED;
        } else {
            w->style |= WS_DISABLED;
        }
    }
    if (wasDisabled == !enable) {
        return wasDisabled;
    }
    if (!enable && GetFocus() == hwnd) {
        SetFocus(nullptr);
    }
    SendMessageA(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hwnd) {
    auto w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    std::lock_guard lock(TableMutex());
    return (w->style & WS_DISABLED) == 0;
}

BOOL ShowWindow(HWND hwnd, int command) {
    auto w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    bool show = command != SW_HIDE;
    bool was;
    {
        std::lock_guard lock(TableMutex());
        was = (w->style & WS_VISIBLE) != 0;
        if (show) {
            w->style |= WS_VISIBLE;
        } else {
            w->style &= ~WS_VISIBLE;
        }
    }
    if (was != show) {
        SendMessageA(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (!show && (GetFocus() == hwnd || IsChild(hwnd, GetFocus()))) {
            SetFocus(nullptr);
        }
    }
    return was;
}

BOOL IsWindowVisible(HWND hwnd) {
    std::lock_guard lock(TableMutex());
    auto w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    for (; w; w = (w->style & WS_CHILD) ? Find(w->parent) : nullptr) {
        if (!(w->style & WS_VISIBLE)) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    auto w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    RECT before;
    RECT after;
    {
        std::lock_guard lock(TableMutex());
        before = w->rect;
        after = before;
        if (!(flags & SWP_NOMOVE)) {
            after.left = x;
            after.top = y;
        }
        int width = (flags & SWP_NOSIZE) ? before.right - before.left : std::max(cx, 0);
        int height = (flags & SWP_NOSIZE) ? before.bottom - before.top : std::max(cy, 0);
        after.right = after.left + width;
        after.bottom = after.top + height;
        w->rect = after;
        if (!(flags & SWP_NOZORDER)) {
            if (insertAfter == HWND_TOPMOST) {
                w->exStyle |= WS_EX_TOPMOST;
            } else if (insertAfter == HWND_NOTOPMOST) {
                w->exStyle &= ~WS_EX_TOPMOST;
            } else if (auto p = Find(w->parent)) {
                auto& siblings = p->children;
                std::erase(siblings, hwnd);
                if (insertAfter == HWND_BOTTOM) {
                    siblings.push_back(hwnd);
                } else if (insertAfter == HWND_TOP) {
                    siblings.insert(siblings.begin(), hwnd);
                } else {
                    auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
                    siblings.insert(it == siblings.end() ? it : it + 1, hwnd);
                }
            }
        }
    }
    if (flags & SWP_SHOWWINDOW) {
        ShowWindow(hwnd, SW_SHOWNA);
    } else if (flags & SWP_HIDEWINDOW) {
        ShowWindow(hwnd, SW_HIDE);
    }
    bool sized = (after.right - after.left) != (before.right - before.left) ||
                 (after.bottom - after.top) != (before.bottom - before.top);
    bool moved = after.left != before.left || after.top != before.top;
    if (sized || moved || (flags & SWP_FRAMECHANGED)) {
        WINDOWPOS pos;
        pos.hwnd = hwnd;
        pos.hwndInsertAfter = insertAfter;
        pos.x = after.left;
        pos.y = after.top;
        pos.cx = after.right - after.left;
        pos.cy = after.bottom - after.top;
        pos.flags = flags;
        SendMessageA(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    if (moved) {
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(after.left, after.top));
    }
    if (sized) {
        SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(after.right - after.left, after.bottom - after.top));
    }
    return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int cx, int cy, BOOL) {
    return SetWindowPos(hwnd, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    auto w = Find(hwnd);
    if (!w || !rect) {
        return FALSE;
    }
    POINT origin = ScreenOrigin(hwnd);
    std::lock_guard lock(TableMutex());
    *rect = RECT{origin.x, origin.y, origin.x + (w->rect.right - w->rect.left),
                 origin.y + (w->rect.bottom - w->rect.top)};
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    auto w = Find(hwnd);
    if (!w || !rect) {
        return FALSE;
    }
    std::lock_guard lock(TableMutex());
    *rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
    if (!IsWindow(hwnd) || !point) {
        return FALSE;
    }
    POINT origin = ScreenOrigin(hwnd);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
    if (!IsWindow(hwnd) || !point) {
        return FALSE;
    }
    POINT origin = ScreenOrigin(hwnd);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

// Invalidated windows are painted (WM_PAINT) when they are updated; nothing reaches a screen.
namespace {

void MarkForPaint(HWND hwnd, bool children) {
    auto w = Find(hwnd);
    if (!w) {
        return;
    }
    std::vector<HWND> kids;
    {
        std::lock_guard lock(TableMutex());
        w->needsPaint = true;
        kids = w->children;
    }
    if (children) {
        for (HWND child : kids) {
            MarkForPaint(child, true);
        }
    }
}

void PaintIfNeeded(HWND hwnd, bool children) {
    auto w = Find(hwnd);
    if (!w) {
        return;
    }
    bool paint;
    std::vector<HWND> kids;
    {
        std::lock_guard lock(TableMutex());
        paint = w->needsPaint && (w->style & WS_VISIBLE);
        w->needsPaint = false;
        kids = w->children;
    }
    if (paint) {
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    }
    if (children) {
        for (HWND child : kids) {
            PaintIfNeeded(child, true);
        }
    }
}

}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
    if (hwnd == nullptr) {
        return TRUE;
    }
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    MarkForPaint(hwnd, true);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    PaintIfNeeded(hwnd, true);
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT*, void*, UINT flags) {
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    if (flags & RDW_INVALIDATE) {
        MarkForPaint(hwnd, (flags & RDW_ALLCHILDREN) != 0);
    }
    if ((flags & RDW_ERASE) && (flags & RDW_UPDATENOW)) {
        SendMessageA(hwnd, WM_ERASEBKGND, 0, 0);
    }
    if (flags & RDW_UPDATENOW) {
        PaintIfNeeded(hwnd, (flags & RDW_ALLCHILDREN) != 0);
    }
    return TRUE;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return 1280;
        case SM_CYSCREEN: return 1024;
        default: return 0;
    }
}

DWORD GetSysColor(int index) {
    switch (index) {
        case COLOR_WINDOW: return RGB(255, 255, 255);
        case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
        case COLOR_HIGHLIGHT: return RGB(0, 120, 215);
        case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
        case COLOR_BTNFACE: return RGB(240, 240, 240);
        case COLOR_BTNSHADOW: return RGB(160, 160, 160);
        case COLOR_GRAYTEXT: return RGB(109, 109, 109);
        case COLOR_BTNTEXT: return RGB(0, 0, 0);
        case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
        default: return RGB(0, 0, 0);
    }
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (!rect) {
        return FALSE;
    }
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT point) {
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom;
}

HWND GetDlgItem(HWND dialog, int id) {
    auto w = Find(dialog);
    if (!w) {
        return nullptr;
    }
    std::lock_guard lock(TableMutex());
    for (HWND child : w->children) {
        auto c = Find(child);
        if (c && c->id == id) {
            return child;
        }
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    auto w = Find(hwnd);
    if (!w) {
        return 0;
    }
    std::lock_guard lock(TableMutex());
    return w->id;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageA(item, msg, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) { return SetWindowTextA(GetDlgItem(dialog, id), text); }
BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) { return SetWindowTextW(GetDlgItem(dialog, id), text); }
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    return static_cast<UINT>(GetWindowTextA(GetDlgItem(dialog, id), buffer, size));
}
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR buffer, int size) {
    return static_cast<UINT>(GetWindowTextW(GetDlgItem(dialog, id), buffer, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    std::string text = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
    return SetDlgItemTextA(dialog, id, text.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    if (translated) {
        *translated = FALSE;
    }
    char buffer[64] = {};
    if (!GetDlgItem(dialog, id)) {
        return 0;
    }
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    const char* p = buffer;
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    bool negative = false;
    if (isSigned && *p == '-') {
        negative = true;
        ++p;
    }
    if (*p < '0' || *p > '9') {
        return 0;
    }
    unsigned long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > (isSigned ? 0x80000000ull : 0xFFFFFFFFull)) {
            return 0;  // out of range: not translated
        }
        ++p;
    }
    while (*p == ' ' || *p == '\t') {
        ++p;
    }
    if (*p != '\0' || (isSigned && !negative && value > 0x7FFFFFFFull)) {
        return 0;
    }
    if (translated) {
        *translated = TRUE;
    }
    return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) {
        return FALSE;
    }
    SendMessageA(item, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
    for (int id = firstId; id <= lastId; ++id) {
        CheckDlgButton(dialog, id, id == checkId ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
}

BOOL MessageBeep(UINT) { return TRUE; }
