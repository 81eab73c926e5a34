#include "setup/wizard/busy_window.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "platform/text/encoding.h"
#include "platform/ui/fonts.h"
#include "platform/ui/gdi.h"
#include "platform/ui/window_api.h"
#include "platform/win/modules.h"
#include "platform/win/threads.h"

namespace Setup {
namespace {

constexpr char16_t kDefaultCaption[] = u"system waiting...";
constexpr char16_t kDefaultText[] = u"请稍候，系统正在处理中...";

// Visual-styles calls, looked up by name once; missing ones answer "not themed".
using IsAppThemedProc = BOOL (*)();
using OpenThemeDataProc = HTHEME (*)(HWND, LPCWSTR);
using DrawThemeBackgroundProc = HRESULT (*)(HTHEME, HDC, int, int, const RECT*, const RECT*);
using GetThemeContentRectProc = HRESULT (*)(HTHEME, HDC, int, int, const RECT*, RECT*);
using GetThemePartSizeProc = HRESULT (*)(HTHEME, HDC, int, int, const RECT*, int, SIZE*);

struct ThemeCalls {
    IsAppThemedProc isAppThemed = nullptr;
    OpenThemeDataProc openThemeData = nullptr;
    DrawThemeBackgroundProc drawBackground = nullptr;
    GetThemeContentRectProc contentRect = nullptr;
    GetThemePartSizeProc partSize = nullptr;
};

const ThemeCalls& Theme() {
    static const ThemeCalls calls = [] {
        ThemeCalls c;
        HMODULE module = LoadLibraryW(u"UxTheme.dll");
        if (module == nullptr) {
            return c;
        }
        c.isAppThemed = reinterpret_cast<IsAppThemedProc>(GetProcAddress(module, "IsAppThemed"));
        c.openThemeData = reinterpret_cast<OpenThemeDataProc>(GetProcAddress(module, "OpenThemeData"));
        c.drawBackground = reinterpret_cast<DrawThemeBackgroundProc>(GetProcAddress(module, "DrawThemeBackground"));
        c.contentRect =
            reinterpret_cast<GetThemeContentRectProc>(GetProcAddress(module, "GetThemeBackgroundContentRect"));
        c.partSize = reinterpret_cast<GetThemePartSizeProc>(GetProcAddress(module, "GetThemePartSize"));
        return c;
    }();
    return calls;
}

BOOL ThemedApp() { return Theme().isAppThemed ? Theme().isAppThemed() : FALSE; }
HTHEME OpenTheme(HWND hwnd, LPCWSTR cls) { return Theme().openThemeData ? Theme().openThemeData(hwnd, cls) : nullptr; }
HRESULT DrawThemePart(HTHEME t, HDC dc, int part, const RECT* r) {
    return Theme().drawBackground ? Theme().drawBackground(t, dc, part, 0, r, nullptr) : E_FAIL;
}
HRESULT ThemeContent(HTHEME t, HDC dc, int part, const RECT* r, RECT* out) {
    return Theme().contentRect ? Theme().contentRect(t, dc, part, 0, r, out) : E_FAIL;
}
HRESULT ThemePartSize(HTHEME t, HDC dc, int part, SIZE* out) {
    return Theme().partSize ? Theme().partSize(t, dc, part, 0, nullptr, 0, out) : E_FAIL;
}

struct MarqueeState {
    int step = 0;
    int interval = 100;
    int blocks = 5;
    int extraWidth = 8;
    int gap = 10;
};

constexpr int kBarPart = 1;
constexpr int kChunkPart = 3;
constexpr UINT_PTR kMarqueeTimer = 0;

MarqueeState* StateOf(HWND hwnd) { return reinterpret_cast<MarqueeState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

// The first block's left edge moves with the step; unsigned, so that the step before the first
// tick lies far to the right and draws nothing.
std::int64_t FirstBlockLeft(const RECT& client, int w, int step) {
    auto width = static_cast<unsigned>(client.right - client.left);
    unsigned advance = ((width / static_cast<unsigned>(w)) * static_cast<unsigned>(step - 1)) / 100u;
    unsigned left = static_cast<unsigned>(client.left) + static_cast<unsigned>(w + 2) * advance;
    return static_cast<std::int64_t>(left);
}

void PaintMarquee(HWND hwnd, MarqueeState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    GetClientRect(hwnd, &client);
    HTHEME theme = OpenTheme(hwnd, u"Progress");
    bool classic = theme == nullptr || !ThemedApp() || (GetWindowLongA(hwnd, GWL_STYLE) & 0x8000) != 0;
    std::int64_t left = 0;
    if (classic) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
        int w = std::max(1, static_cast<int>((client.bottom - client.top) * 3 / 4));
        left = FirstBlockLeft(client, w, state.step);
        for (int i = 0; i < state.blocks; ++i) {
            if (left >= client.left && left < client.right) {
                RECT block{static_cast<LONG>(left), client.top,
                           static_cast<LONG>(std::min<std::int64_t>(left + w + state.extraWidth, client.right)),
                           client.bottom};
                FillRect(dc, &block, GetSysColorBrush(COLOR_HIGHLIGHT));
            }
            left += w + state.gap + 2;
        }
    } else {
        DrawThemePart(theme, dc, kBarPart, &client);
        RECT content = client;
        ThemeContent(theme, dc, kBarPart, &client, &content);
        SIZE chunk{8, 8};
        ThemePartSize(theme, dc, kChunkPart, &chunk);
        int w = std::max(1, static_cast<int>(chunk.cx));
        left = FirstBlockLeft(content, w, state.step);
        for (int i = 0; i < state.blocks; ++i) {
            if (left >= content.left && left < content.right) {
                RECT block{static_cast<LONG>(left), content.top,
                           static_cast<LONG>(std::min<std::int64_t>(left + w, content.right)), content.bottom};
                DrawThemePart(theme, dc, kChunkPart, &block);
            }
            left += w + state.gap;
        }
    }
    EndPaint(hwnd, &paint);
    if (left > 300) {
        state.step = 0;
    }
}

LRESULT MarqueeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    MarqueeState* state = StateOf(hwnd);
    if (state == nullptr && msg != WM_CREATE) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    switch (msg) {
        case WM_CREATE:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new MarqueeState()));
            SendMessageA(hwnd, MQM_SETBLOCKS, 5, 0);
            SendMessageA(hwnd, MQM_SETINTERVAL, 100, 0);
            return 0;
        case MQM_SETINTERVAL:
            state->interval = static_cast<int>(wParam);
            if (IsWindowEnabled(hwnd)) {
                SendMessageA(hwnd, WM_ENABLE, TRUE, 0);
            }
            return 1;
        case MQM_GETBLOCKS:
            return state->blocks;
        case MQM_SETBLOCKS:
            if (wParam >= 1 && wParam <= 20) {
                state->blocks = static_cast<int>(wParam);
                return 1;
            }
            return 0;
        case MQM_SETEXTRAWIDTH:
            state->extraWidth = static_cast<int>(wParam);
            return 1;
        case MQM_SETGAP:
            state->gap = static_cast<int>(wParam);
            return 1;
        case WM_USER:
            return state->interval;
        case WM_ENABLE:
            if (wParam) {
                SetTimer(hwnd, kMarqueeTimer, static_cast<UINT>(state->interval), nullptr);
            } else {
                KillTimer(hwnd, kMarqueeTimer);
                state->step = 0;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return 0;
        case WM_TIMER:
            ++state->step;
            RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return 0;
        case WM_PAINT:
            PaintMarquee(hwnd, *state);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd, kMarqueeTimer);
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            delete state;
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT WaitingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd, &paint);
            RECT client{};
            GetClientRect(hwnd, &client);
            FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
            EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_DESTROY:
            // The close arrives as a sent message, which the busy thread's loop never sees; the
            // quit message ends that loop.
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

void RegisterBusyWindowClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc;
        wc.style = 0x4003;
        if (!GetClassInfoA(nullptr, kMarqueeClass, &wc)) {
            wc.lpfnWndProc = &MarqueeProc;
            wc.lpszClassName = kMarqueeClass;
            RegisterClassA(&wc);
        }
        WNDCLASSA waiting;
        waiting.style = 0x4003;
        if (!GetClassInfoA(nullptr, kBusyWindowClass, &waiting)) {
            waiting.lpfnWndProc = &WaitingProc;
            waiting.lpszClassName = kBusyWindowClass;
            RegisterClassA(&waiting);
        }
    });
}

BusyWindow::BusyWindow(bool showNow, bool topmostFlag) : topmost(topmostFlag ? 1 : 0) {
    if (showNow) {
        ShowBusyWindow(kDefaultCaption, kDefaultText);
    }
}

BusyWindow::~BusyWindow() { CloseBusyWindow(); }

void BusyWindow::ShowBusyWindow(const char16_t* caption, const char16_t* text) {
    caption_ = caption ? caption : kDefaultCaption;
    text_ = text ? text : kDefaultText;
    ready_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (ready_ == nullptr) {
        return;
    }
    thread_ = AfxBeginThread(&RunBusyWindowThread, this, THREAD_PRIORITY_TIME_CRITICAL);
    if (WaitForSingleObject(ready_, 5000) != WAIT_OBJECT_0 && thread_ != nullptr) {
        // A busy thread that cannot show its window must not keep the starter waiting.
        TerminateThread(thread_->m_hThread, 0);
        thread_ = nullptr;
        window_ = nullptr;
    }
    CloseHandle(ready_);
    ready_ = nullptr;
}

void BusyWindow::CloseBusyWindow() {
    if (window_ != nullptr) {
        SendMessageA(window_, WM_CLOSE, 0, 0);
        window_ = nullptr;
        marquee_ = nullptr;
        label_ = nullptr;
        DeleteFont(font_);
        font_ = nullptr;
    }
    if (ready_ != nullptr) {
        CloseHandle(ready_);
        ready_ = nullptr;
    }
}

HWND BusyWindow::CreateBusyWindow(const std::u16string& caption, const std::u16string& text) {
    RegisterBusyWindowClasses();
    int left = GetSystemMetrics(SM_CXSCREEN) / 2 - 150;
    int top = GetSystemMetrics(SM_CYSCREEN) / 2 - 50;
    HWND window = CreateWindowExW(0, u"waiting", caption.c_str(), WS_CAPTION, left, top, 300, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    if (topmost) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    RECT client{};
    GetClientRect(window, &client);
    int width = client.right - client.left - 20;
    label_ = CreateWindowExW(0, u"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, client.left + 10,
                             client.top + 6, width, 25, window, nullptr, nullptr, nullptr);
    font_ = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    marquee_ = CreateWindowExA(0, kMarqueeClass, "", WS_CHILD | WS_VISIBLE, client.left + 10, client.top + 6 + 25 + 5,
                               width, 20, window, nullptr, nullptr, nullptr);
    SendMessageA(marquee_, MQM_SETEXTRAWIDTH, static_cast<WPARAM>(extraWidth), 0);
    SendMessageA(marquee_, MQM_SETGAP, static_cast<WPARAM>(gap), 0);
    SendMessageA(marquee_, MQM_SETBLOCKS, static_cast<WPARAM>(blockCount), 0);
    SendMessageA(marquee_, MQM_SETINTERVAL, static_cast<WPARAM>(interval), 0);
    window_ = window;
    return window;
}

UINT RunBusyWindowThread(LPVOID param) {
    auto* starter = static_cast<BusyWindow*>(param);
    BusyWindow local(false, true);
    local.interval = starter->interval;
    local.blockCount = starter->blockCount;
    local.gap = starter->gap;
    local.extraWidth = starter->extraWidth;
    local.topmost = starter->topmost;
    starter->window_ = nullptr;
    HWND window = local.CreateBusyWindow(starter->caption_, starter->text_);
    starter->window_ = window;
    starter->marquee_ = local.marquee_;
    starter->label_ = local.label_;
    starter->font_ = local.font_;
    // The starter owns the window from here on and closes it.
    local.window_ = nullptr;
    local.font_ = nullptr;
    if (!SetEvent(starter->ready_)) {
        starter->thread_ = nullptr;
        return static_cast<UINT>(-1);
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        if (msg.message == WM_CLOSE || msg.message == WM_DESTROY || msg.message == WM_QUIT) {
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

}  // namespace Setup
