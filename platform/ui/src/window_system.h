// The process-wide window table and the per-thread message queues behind the window calls.
//
// One table mutex guards the table and every window's fields; it is never held while a window
// procedure runs or while a thread waits, so procedures may call back into any window call.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/window_api.h"

namespace platform::ui::detail {

// State of a built-in control, kept with its window and freed with it.
struct ControlData {
    virtual ~ControlData() = default;
};

struct Window {
    HWND handle = nullptr;
    std::string className;
    WNDPROC proc = nullptr;
    bool unicode = false;
    std::string text;       // when !unicode (GBK)
    std::u16string wtext;   // when unicode
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    RECT rect;              // in the parent's client coordinates, screen for top-level windows
    HWND parent = nullptr;  // child windows
    HWND owner = nullptr;   // top-level windows
    std::vector<HWND> children;  // z-order, top first
    DWORD threadId = 0;
    HINSTANCE instance = nullptr;
    HFONT font = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR msgResult = 0;
    HMENU menu = nullptr;
    std::unique_ptr<ControlData> data;
    bool destroying = false;
    bool needsPaint = false;
    // Dialog-manager state.
    bool isDialog = false;
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    int defaultId = IDOK;
};

std::recursive_mutex& TableMutex();

// The window, or null when the handle names no live window. Hold TableMutex() while using the
// fields of a window other threads may touch.
std::shared_ptr<Window> Find(HWND hwnd);
std::vector<std::shared_ptr<Window>> AllWindows();

// Narrow and wide views of a window's text.
std::string NarrowText(const Window& w);
std::u16string WideText(const Window& w);
void SetText(Window& w, std::string_view narrow);
void SetTextWide(Window& w, std::u16string_view wide);

// True while the current message was sent or posted by a wide (W) call.
bool IsWideCall();

// Calls a window procedure with the given wide flag in force.
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide);
LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide);
BOOL Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide);
// Sends or posts to every top-level window: 0 for a send, TRUE for a post.
LRESULT Broadcast(UINT msg, WPARAM wParam, LPARAM lParam, bool wide, bool post);

// The control's state as type T, or null.
template <typename T>
T* Data(HWND hwnd) {
    auto w = Find(hwnd);
    return w ? dynamic_cast<T*>(w->data.get()) : nullptr;
}

// The control's state as type T, made on first use. Callers that may see their window destroyed
// while they work keep the window and pass it.
template <typename T>
T* Ensure(Window& self) {
    std::lock_guard lock(TableMutex());
    if (!self.data) {
        self.data = std::make_unique<T>();
    }
    return dynamic_cast<T*>(self.data.get());
}

template <typename T>
T* Ensure(HWND hwnd) {
    auto self = Find(hwnd);
    return self ? Ensure<T>(*self) : nullptr;
}

// A window's position in screen coordinates.
POINT ScreenOrigin(HWND hwnd);

// Notifies the parent with WM_COMMAND (control id, code).
void NotifyParentCommand(HWND control, UINT code);
// Sends a WM_NOTIFY record (header filled here) to the parent; returns its answer.
LRESULT NotifyParent(HWND control, NMHDR& header, UINT code);

// WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH on the window's own text.
LRESULT DefaultTextMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Runs the safe-point hook, if one is set.
void SafePoint();

// Built-in window classes, registered on first use of the window system.
void RegisterBuiltinClasses();
void RegisterClassProc(const char* name, WNDPROC proc, UINT style = 0);

// Called once per creation on this thread before WM_NCCREATE, so that a framework object can
// attach itself and see the creation messages.
void SetCreateHook(std::function<void(HWND)> hook);

}  // namespace platform::ui::detail
