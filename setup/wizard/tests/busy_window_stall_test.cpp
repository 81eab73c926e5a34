// A busy thread that never gets its window up: the starter stops it after 5000 ms and goes on
// without a window. Its own program, because it puts a stalling "waiting" class in place of the
// installer's for the whole process.
#include <gtest/gtest.h>

#include "platform/ui/window_api.h"
#include "platform/win/clock.h"
#include "platform/win/threads.h"
#include "setup/wizard/busy_window.h"

namespace {

HANDLE g_never = nullptr;
int g_stalled = 0;

LRESULT StallingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) {
        ++g_stalled;
        WaitForSingleObject(g_never, INFINITE);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(BusyWindowStall, ThreadThatNeverSignalsIsStoppedAndTheStarterGoesOn) {
    g_never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WNDCLASSA wc;
    wc.lpfnWndProc = &StallingProc;
    wc.lpszClassName = Setup::kBusyWindowClass;
    ASSERT_TRUE(RegisterClassA(&wc));
    platform::win::UseVirtualClock(true);
    const DWORD before = GetTickCount();
    Setup::BusyWindow busy;
    busy.ShowBusyWindow(u"等待中", u"x");
    EXPECT_EQ(g_stalled, 1);
    EXPECT_EQ(busy.Window(), nullptr);
    EXPECT_GE(GetTickCount() - before, 5000u);
    busy.CloseBusyWindow();
    platform::win::UseVirtualClock(false);
    CloseHandle(g_never);
}

}  // namespace
