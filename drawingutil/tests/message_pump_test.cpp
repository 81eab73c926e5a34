#include <gtest/gtest.h>

#include "platform/ui/window_api.h"

#include "drawingutil/message_pump.h"

namespace {

constexpr UINT kPing = WM_USER + 7;
int pings = 0;

LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kPing) {
        ++pings;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST(MessagePumpTest, HandlesOneMessagePerPassAndKeepsQuit)
{
    WNDCLASSA wc;
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = "DrawingUtilPumpTest";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, "DrawingUtilPumpTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    PumpMessages();  // an empty queue is fine
    pings = 0;
    PostMessageA(window, kPing, 0, 0);
    PostMessageA(window, kPing, 0, 0);
    PumpMessages();
    EXPECT_EQ(pings, 1);
    PumpMessages();
    EXPECT_EQ(pings, 2);

    // A quit taken from the queue goes back for the host's loop, with -1.
    PostQuitMessage(0);
    PumpMessages();
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(static_cast<int>(msg.wParam), -1);
    DestroyWindow(window);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace
