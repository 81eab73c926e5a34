// The marquee's messages and drawing in both looks, and the busy window on its own thread,
// including a busy thread that never gets its window up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/encoding.h"
#include "platform/ui/afx_dc.h"
#include "platform/ui/gdi.h"
#include "platform/ui/window_api.h"
#include "platform/win/threads.h"
#include "setup/wizard/busy_window.h"

namespace {

using Lines = std::vector<std::string>;

HWND MakeMarquee(DWORD style = 0) {
    Setup::RegisterBusyWindowClasses();
    return CreateWindowExA(0, Setup::kMarqueeClass, "", style | WS_VISIBLE, 0, 0, 200, 20, nullptr, nullptr, nullptr, nullptr);
}

std::u16string TextOf(HWND hwnd) {
    char16_t buffer[128] = {};
    int n = GetWindowTextW(hwnd, buffer, 128);
    return std::u16string(buffer, static_cast<std::size_t>(n));
}

TEST(Marquee, MessagesKeepTheBlockCountWithinOneToTwenty) {
    HWND bar = MakeMarquee();
    ASSERT_TRUE(bar);
    EXPECT_EQ(SendMessageA(bar, Setup::MQM_GETBLOCKS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(bar, WM_USER, 0, 0), 100);
    EXPECT_EQ(SendMessageA(bar, Setup::MQM_SETBLOCKS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, Setup::MQM_SETBLOCKS, 21, 0), 0);
    EXPECT_EQ(SendMessageA(bar, Setup::MQM_GETBLOCKS, 0, 0), 5);
    EXPECT_EQ(SendMessageA(bar, Setup::MQM_SETBLOCKS, 20, 0), 1);
    EXPECT_EQ(SendMessageA(bar, Setup::MQM_GETBLOCKS, 0, 0), 20);
    EXPECT_EQ(SendMessageA(bar, Setup::MQM_SETINTERVAL, 40, 0), 1);
    EXPECT_EQ(SendMessageA(bar, WM_USER, 0, 0), 40);
    DestroyWindow(bar);
}

TEST(Marquee, ClassicAndThemedDrawing) {
    platform::ui::SetVisualStyles(false);
    HWND bar = MakeMarquee();
    SendMessageA(bar, Setup::MQM_SETBLOCKS, 3, 0);
    SendMessageA(bar, WM_TIMER, 0, 0);  // step 1: blocks from the left edge
    // Height 20 gives blocks 15 wide, plus 8 extra, 10 apart plus 2.
    EXPECT_EQ(platform::ui::LastPaintOf(bar),
              (Lines{"fill 0 0 200 20 f0f0f0", "edge 0 0 200 20 sunken", "fill 0 0 23 20 0078d7",
                     "fill 27 0 23 20 0078d7", "fill 54 0 23 20 0078d7"}));

    platform::ui::SetVisualStyles(true);
    SendMessageA(bar, WM_TIMER, 0, 0);
    EXPECT_EQ(platform::ui::LastPaintOf(bar),
              (Lines{"theme Progress 1 0 0 200 20", "theme Progress 3 1 1 8 18", "theme Progress 3 19 1 8 18",
                     "theme Progress 3 37 1 8 18"}));
    DestroyWindow(bar);

    // The style bit keeps the classic look under visual styles.
    HWND plain = MakeMarquee(0x8000);
    SendMessageA(plain, WM_TIMER, 0, 0);
    Lines drawn = platform::ui::LastPaintOf(plain);
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ(drawn[0], "fill 0 0 200 20 f0f0f0");
    DestroyWindow(plain);
}

TEST(Marquee, StepStartsOverOnceTheBlocksPassTheRightSide) {
    platform::ui::SetVisualStyles(false);
    Setup::RegisterBusyWindowClasses();
    HWND bar = CreateWindowExA(0, Setup::kMarqueeClass, "", WS_VISIBLE, 0, 0, 2000, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(bar);
    // 2000 / 15 = 133 per step over 100: the first block moves 17 pixels a step from the second.
    int restarts = 0;
    for (int i = 0; i < 40; ++i) {
        SendMessageA(bar, WM_TIMER, 0, 0);
        Lines drawn = platform::ui::LastPaintOf(bar);
        ASSERT_GE(drawn.size(), 3u);
        if (drawn[2] == "fill 0 0 23 20 0078d7") ++restarts;
    }
    EXPECT_GE(restarts, 2);
    DestroyWindow(bar);
    platform::ui::SetVisualStyles(true);
}

TEST(BusyWindow, ShowsOnItsOwnThreadAndCloses) {
    Setup::BusyWindow busy(false, true);
    busy.ShowBusyWindow(u"等待中", u"\n正在停止 [ACAD.EXE]. 请等待...");
    HWND window = busy.Window();
    ASSERT_TRUE(window);
    EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    EXPECT_EQ(TextOf(window), u"等待中");
    EXPECT_EQ(TextOf(busy.Label()), u"\n正在停止 [ACAD.EXE]. 请等待...");
    EXPECT_EQ(SendMessageA(busy.Marquee(), WM_USER, 0, 0), 25);
    EXPECT_EQ(SendMessageA(busy.Marquee(), Setup::MQM_GETBLOCKS, 0, 0), 5);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 1280 / 2 - 150);
    EXPECT_EQ(r.top, 1024 / 2 - 50);
    EXPECT_EQ(r.right - r.left, 300);
    busy.CloseBusyWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(busy.Window(), nullptr);

    // Null texts take the defaults.
    busy.ShowBusyWindow();
    ASSERT_TRUE(busy.Window());
    EXPECT_EQ(TextOf(busy.Window()), u"system waiting...");
    EXPECT_EQ(TextOf(busy.Label()), u"请稍候，系统正在处理中...");
}

}  // namespace
