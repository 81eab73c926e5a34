// Message queues with real threads: posted and sent messages, timers, cross-thread sends.
#include <atomic>
#include <thread>
#include <vector>

#include "platform/ui/dialog_manager.h"
#include "platform/ui/ui_driver.h"
#include "test_support.h"

namespace {

struct Seen {
    UINT msg;
    WPARAM wParam;
    DWORD thread;
};
std::vector<Seen> g_seen;  // written only by the window's own thread

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_APP || msg == WM_TIMER) {
        g_seen.push_back(Seen{msg, wParam, GetCurrentThreadId()});
        return static_cast<LRESULT>(wParam) * 2;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakeWindow() {
    static bool registered = [] {
        WNDCLASSA wc;
        wc.lpfnWndProc = &RecordingProc;
        wc.lpszClassName = "recording";
        return RegisterClassA(&wc) != FALSE;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "recording", "r", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

class MessageQueueTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_seen.clear();
        hwnd = MakeWindow();
        ASSERT_TRUE(hwnd);
    }
    void TearDown() override {
        DestroyWindow(hwnd);
        platform::ui::UseVirtualClock(false);
        UiTest::TearDown();
    }
    HWND hwnd = nullptr;
};

TEST_F(MessageQueueTest, PostedMessagesRunOnlyWhenTheLoopRuns) {
    EXPECT_EQ(SendMessage(hwnd, WM_APP, 21, 0), 42);  // sent on the own thread: at once
    ASSERT_EQ(g_seen.size(), 1u);
    for (WPARAM i = 1; i <= 3; ++i) {
        EXPECT_TRUE(PostMessage(hwnd, WM_APP + 1, i, 0));
    }
    EXPECT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(platform::ui::PumpPendingMessages(), 3);
    ASSERT_EQ(g_seen.size(), 4u);
    EXPECT_EQ(g_seen[1].wParam, 1u);
    EXPECT_EQ(g_seen[3].wParam, 3u);

    // A quit request stops the pump and stays for the caller's loop.
    PostQuitMessage(7);
    PostMessage(hwnd, WM_APP, 9, 0);
    platform::ui::PumpPendingMessages();
    MSG msg;
    EXPECT_FALSE(GetMessage(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_FALSE(PostMessage(reinterpret_cast<HWND>(0x4), WM_APP, 0, 0));
    EXPECT_EQ(SendMessage(reinterpret_cast<HWND>(0x4), WM_APP, 1, 0), 0);
}

TEST_F(MessageQueueTest, TimersFireWhenDueAndDoNotPileUp) {
    platform::ui::UseVirtualClock(true);
    ASSERT_TRUE(SetTimer(hwnd, 1, 50, nullptr));
    platform::ui::PumpPendingMessages();
    EXPECT_TRUE(g_seen.empty());
    platform::ui::AdvanceClock(50);
    platform::ui::PumpPendingMessages();
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].msg, static_cast<UINT>(WM_TIMER));
    platform::ui::AdvanceClock(500);  // ten intervals late: still one message
    platform::ui::PumpPendingMessages();
    EXPECT_EQ(g_seen.size(), 2u);
    EXPECT_TRUE(KillTimer(hwnd, 1));
    platform::ui::AdvanceClock(100);
    platform::ui::PumpPendingMessages();
    EXPECT_EQ(g_seen.size(), 2u);
}

TEST_F(MessageQueueTest, DriverWaitsMoveTheVirtualClock) {
    platform::ui::UseVirtualClock(true);
    SetTimer(hwnd, 1, 50, nullptr);  // a page polling its controls every 50 ms
    platform::ui::UiDriver driver(hwnd);
    driver.WaitFor(120);
    EXPECT_EQ(g_seen.size(), 2u);
    KillTimer(hwnd, 1);
}

TEST_F(MessageQueueTest, WorkerSendsAreHandledOnTheWindowThreadInOrder) {
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<LRESULT> results;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (WPARAM i = 0; i < 200; ++i) {
            results.push_back(SendMessage(hwnd, WM_APP + 2, i, 0));
        }
        done = true;
        PostMessage(hwnd, WM_APP + 3, 0, 0);  // wakes the loop below
    });
    MSG msg;
    while (!done || g_seen.empty() || g_seen.back().msg != WM_APP + 3) {
        if (GetMessage(&msg, nullptr, 0, 0)) {
            DispatchMessage(&msg);
        }
    }
    worker.join();
    ASSERT_EQ(results.size(), 200u);
    ASSERT_EQ(g_seen.size(), 201u);
    for (std::size_t i = 0; i < 200; ++i) {
        EXPECT_EQ(g_seen[i].wParam, i);
        EXPECT_EQ(g_seen[i].thread, uiThread);
        EXPECT_EQ(results[i], static_cast<LRESULT>(i * 2));
    }
}

// The worker's window answers by sending back to the main thread's window while the main
// thread is itself blocked sending to the worker.
TEST_F(MessageQueueTest, ThreadsSendingToEachOtherDoNotDeadlock) {
    std::atomic<HWND> workerWindow{nullptr};
    std::atomic<bool> stop{false};
    static HWND s_back = nullptr;
    s_back = hwnd;
    std::thread worker([&] {
        WNDCLASSA wc;
        wc.lpszClassName = "echo";
        wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_APP + 5) {
                return SendMessage(s_back, WM_APP + 6, w, 0) + 1;
            }
            return DefWindowProc(h, m, w, l);
        };
        RegisterClass(&wc);
        HWND own = CreateWindowExA(0, "echo", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        workerWindow = own;
        MSG msg;
        while (!stop) {
            if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessage(&msg);
            } else {
                WaitMessage();
            }
        }
        DestroyWindow(own);
    });
    while (!workerWindow) {
        std::this_thread::yield();
    }
    EXPECT_EQ(SendMessage(workerWindow, WM_APP + 5, 10, 0), 21);
    ASSERT_EQ(g_seen.size(), 1u);
    EXPECT_EQ(g_seen[0].thread, GetCurrentThreadId());
    stop = true;
    PostMessage(workerWindow, WM_NULL, 0, 0);
    worker.join();
    // The worker's window went with its thread: sends to it return at once.
    EXPECT_FALSE(IsWindow(workerWindow));
    EXPECT_EQ(SendMessage(workerWindow, WM_APP + 5, 1, 0), 0);
}

// A window on a thread of its own (as a busy window is) closed by a send from another thread:
// the close runs on the window's thread and the sender goes on.
TEST_F(MessageQueueTest, ClosingAnotherThreadsWindowRunsOnItsThread) {
    std::atomic<HWND> busy{nullptr};
    std::atomic<DWORD> destroyedOn{0};
    static std::atomic<DWORD>* s_destroyedOn = nullptr;
    s_destroyedOn = &destroyedOn;
    std::thread owner([&] {
        WNDCLASSA wc;
        wc.lpszClassName = "waiting";
        wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_DESTROY) {
                *s_destroyedOn = GetCurrentThreadId();
                PostQuitMessage(0);
            }
            return DefWindowProc(h, m, w, l);
        };
        RegisterClass(&wc);
        busy = CreateWindowExA(0, "waiting", "等待中", WS_CAPTION, 0, 0, 300, 100, nullptr, nullptr, nullptr, nullptr);
        MSG msg;
        while (GetMessage(&msg, nullptr, 0, 0) > 0) {
            DispatchMessage(&msg);
        }
    });
    while (!busy) {
        std::this_thread::yield();
    }
    DWORD ownerThread = GetWindowThreadProcessId(busy, nullptr);
    EXPECT_NE(ownerThread, GetCurrentThreadId());
    char caption[16] = {};
    EXPECT_EQ(GetWindowTextA(busy, caption, sizeof caption), 6);  // a cross-thread WM_GETTEXT
    EXPECT_STREQ(caption, "等待中");
    SendMessage(busy, WM_CLOSE, 0, 0);
    owner.join();
    EXPECT_EQ(destroyedOn, ownerThread);
    EXPECT_FALSE(IsWindow(busy));
}

}  // namespace
