// The top-level windows: enumeration and broadcast messages.
#include "window_system.h"

namespace platform::ui::detail {
namespace {

// The live top-level windows, oldest first.
std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> handles;
    const auto all = AllWindows();
    std::lock_guard lock(TableMutex());
    for (const auto& window : all)
        if (!window->parent && !(window->style & WS_CHILD) && !window->destroying)
            handles.push_back(window->handle);
    return handles;
}

}  // namespace

LRESULT Broadcast(UINT msg, WPARAM wParam, LPARAM lParam, bool wide, bool post) {
    for (const HWND window : TopLevelWindows()) {
        if (post)
            Post(window, msg, wParam, lParam, wide);
        else
            Send(window, msg, wParam, lParam, wide);
    }
    return post ? TRUE : 0;
}

}  // namespace platform::ui::detail

BOOL EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    if (!proc)
        return FALSE;
    for (const HWND window : platform::ui::detail::TopLevelWindows()) {
        if (!platform::ui::detail::Find(window))
            continue;  // destroyed by an earlier call
        if (!proc(window, lParam))
            return FALSE;
    }
    return TRUE;
}
