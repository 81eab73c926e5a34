// Messages to every top-level window, and their enumeration.
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/ui/messages.h"
#include "platform/ui/window_api.h"
#include "test_support.h"

namespace {

struct Received {
    HWND hwnd;
    UINT msg;
};
std::vector<Received> g_received;  // windows of the test's own thread only
std::atomic<int> g_workerFontChanges{0};

LRESULT NoteProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_FONTCHANGE || msg == WM_APP) {
        g_received.push_back({hwnd, msg});
        return 5;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT WorkerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_FONTCHANGE) {
        ++g_workerFontChanges;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterClasses() {
    static const bool registered = [] {
        WNDCLASSA note;
        note.lpfnWndProc = &NoteProc;
        note.lpszClassName = "note";
        WNDCLASSA worker;
        worker.lpfnWndProc = &WorkerProc;
        worker.lpszClassName = "fontworker";
        return RegisterClassA(&note) && RegisterClassA(&worker);
    }();
    ASSERT_TRUE(registered);
}

BOOL Collect(HWND hwnd, LPARAM list) {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(list);
    windows->push_back(hwnd);
    return windows->size() < 2 ? TRUE : FALSE;
}

class BroadcastTest : public UiTest {};

}  // namespace

TEST_F(BroadcastTest, TopLevelWindowsOfEveryThreadHearABroadcast) {
    RegisterClasses();
    g_received.clear();
    const HWND first =
        CreateWindowExA(0, "note", "first", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HWND second =
        CreateWindowExA(0, "note", "second", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const HWND child =
        CreateWindowExA(0, "note", "child", WS_CHILD, 0, 0, 5, 5, first, nullptr, nullptr, nullptr);
    ASSERT_TRUE(first && second && child);

    std::atomic<bool> ready{false};
    std::thread worker([&] {
        const HWND own =
            CreateWindowExA(0, "fontworker", "w", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ready = true;
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
        DestroyWindow(own);
    });
    while (!ready)
        std::this_thread::yield();

    std::vector<HWND> all;
    EXPECT_TRUE(EnumWindows(
        [](HWND hwnd, LPARAM list) {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all)));
    EXPECT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0], first);
    EXPECT_EQ(std::count(all.begin(), all.end(), child), 0);
    std::vector<HWND> two;
    EXPECT_FALSE(EnumWindows(&Collect, reinterpret_cast<LPARAM>(&two)));
    EXPECT_EQ(two, (std::vector<HWND>{first, second}));

    // The send returns once the other thread's window has handled it too.
    EXPECT_EQ(SendMessageW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0), 0);
    EXPECT_EQ(g_workerFontChanges, 1);
    worker.join();
    ASSERT_EQ(g_received.size(), 2u);
    EXPECT_EQ(g_received[0].hwnd, first);
    EXPECT_EQ(g_received[1].hwnd, second);

    // Posted: nothing until the loop runs, then each top-level window once.
    g_received.clear();
    EXPECT_TRUE(PostMessageW(HWND_BROADCAST, WM_APP, 0, 0));
    EXPECT_TRUE(g_received.empty());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(g_received.size(), 2u);
    DestroyWindow(first);
    DestroyWindow(second);
}
