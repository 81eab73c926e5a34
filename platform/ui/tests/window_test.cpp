// Windows: creation and destruction order, text, state, geometry, focus, threads and transcripts.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/text/encoding.h"
#include "platform/ui/afx_thread.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/fonts.h"
#include "test_support.h"

namespace {

struct Event {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Event> g_events;

LRESULT LoggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCREATE:
        case WM_CREATE:
        case WM_SIZE:
        case WM_MOVE:
        case WM_DESTROY:
        case WM_NCDESTROY:
        case WM_SHOWWINDOW:
        case WM_ENABLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_CAPTURECHANGED:
            g_events.push_back(Event{hwnd, msg, wParam, lParam});
            break;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND Make(HWND parent, DWORD style, int x = 0, int y = 0, int cx = 100, int cy = 50, const char* text = "") {
    static bool registered = [] {
        WNDCLASSA wc;
        wc.lpfnWndProc = &LoggingProc;
        wc.lpszClassName = "Logging";
        return RegisterClassA(&wc) != FALSE;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "logging", text, style, x, y, cx, cy, parent, nullptr, nullptr, nullptr);
}

std::vector<UINT> Messages(HWND hwnd) {
    std::vector<UINT> out;
    for (auto& e : g_events) {
        if (e.hwnd == hwnd) {
            out.push_back(e.msg);
        }
    }
    return out;
}

class WindowTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_events.clear();
    }
    void TearDown() override {
        UiTest::TearDown();
        EXPECT_EQ(platform::ui::LiveWindowCount(), 0);
    }
};

TEST_F(WindowTest, CreationAndDestructionFollowTheDesktopOrder) {
    HWND top = Make(nullptr, WS_OVERLAPPEDWINDOW);
    HWND child = Make(top, WS_CHILD | WS_VISIBLE);
    HWND owned = Make(top, WS_POPUP);
    EXPECT_EQ(Messages(top), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE}));
    EXPECT_EQ(GetParent(child), top);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
    EXPECT_EQ(Make(reinterpret_cast<HWND>(0x99), WS_CHILD), nullptr);  // a child needs a live parent
    EXPECT_EQ(CreateWindowExA(0, "no such class", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);

    g_events.clear();
    EXPECT_TRUE(DestroyWindow(top));
    std::vector<std::pair<HWND, UINT>> order;
    for (auto& e : g_events) {
        order.emplace_back(e.hwnd, e.msg);
    }
    // Owned windows go first; a window hears WM_DESTROY before its children and WM_NCDESTROY after them.
    EXPECT_EQ(order, (std::vector<std::pair<HWND, UINT>>{{owned, WM_DESTROY}, {owned, WM_NCDESTROY}, {top, WM_DESTROY},
                                                         {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(WindowTest, TextIsKeptNarrowOrWideAndNeverCutInsideACharacter) {
    HWND narrow = Make(nullptr, 0, 0, 0, 10, 10, "房屋a");
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetWindowTextA(narrow, small, sizeof small), 2);  // "房" fits, "屋" would be split
    EXPECT_STREQ(small, "房");
    EXPECT_EQ(GetWindowTextLengthA(narrow), 5);
    EXPECT_EQ(GetWindowTextLengthW(narrow), 3);
    char16_t wide[8] = {};
    EXPECT_EQ(GetWindowTextW(narrow, wide, 8), 3);
    EXPECT_EQ(std::u16string(wide), u"房屋a");

    std::u16string beyond = u"€ and \U0001F600";  // not all of it is representable in GBK
    HWND unicode = CreateWindowExW(0, u"Logging", beyond.c_str(), 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(unicode);
    EXPECT_TRUE(IsWindowUnicode(unicode));
    char16_t back[32] = {};
    GetWindowTextW(unicode, back, 32);
    EXPECT_EQ(std::u16string(back), beyond);  // the wide window keeps what GBK cannot hold
    char16_t cut[8] = {};
    EXPECT_EQ(GetWindowTextW(unicode, cut, 8), 6);  // room for 7 units, but the pair is not halved
    SetWindowTextA(unicode, "数据");
    GetWindowTextW(unicode, back, 32);
    EXPECT_EQ(std::u16string(back), u"数据");
    DestroyWindow(narrow);
    DestroyWindow(unicode);

    // A wide dialog's edit keeps a typed path that GBK cannot hold.
    platform::ui::DialogTemplate t;
    t.caption = "安装配置";
    t.cx = 100;
    t.cy = 50;
    t.unicode = true;
    t.controls = {platform::ui::Control(1001, platform::ui::ControlKind::Edit, "C:\\Program Files\\Dero90", 5, 5, 80, 12)};
    HWND dialog = platform::ui::CreateDialogFromTemplate(t, nullptr, nullptr, 0);
    ASSERT_TRUE(dialog);
    HWND edit = GetDlgItem(dialog, 1001);
    EXPECT_TRUE(IsWindowUnicode(edit));
    GetWindowTextW(edit, back, 32);
    EXPECT_EQ(std::u16string(back), u"C:\\Program Files\\Dero90");
    const std::u16string korean = u"D:\\한글";
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(korean.c_str()));
    GetWindowTextW(edit, back, 32);
    EXPECT_TRUE(std::u16string(back) == korean);
    DestroyWindow(dialog);
}

TEST_F(WindowTest, StateChangesNotifyOnceAndFollowTheParents) {
    HWND top = Make(nullptr, 0);
    HWND child = Make(top, WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    EXPECT_FALSE(IsWindowVisible(child));  // the parent is hidden
    g_events.clear();
    EXPECT_FALSE(ShowWindow(top, SW_SHOW));
    EXPECT_TRUE(ShowWindow(top, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(Messages(top), (std::vector<UINT>{WM_SHOWWINDOW}));

    SetFocus(child);
    EXPECT_EQ(GetFocus(), child);
    g_events.clear();
    EXPECT_FALSE(EnableWindow(child, FALSE));  // was enabled
    EXPECT_TRUE(EnableWindow(child, FALSE));   // already disabled: no second WM_ENABLE
    EXPECT_EQ(GetFocus(), nullptr);           // a disabled window loses the focus
    EXPECT_EQ(Messages(child), (std::vector<UINT>{WM_KILLFOCUS, WM_ENABLE}));
    EnableWindow(child, TRUE);

    HWND other = Make(top, WS_CHILD | WS_VISIBLE);
    SetFocus(child);
    g_events.clear();
    SetFocus(other);
    ASSERT_EQ(g_events.size(), 2u);
    EXPECT_EQ(g_events[0].msg, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(reinterpret_cast<HWND>(g_events[0].wParam), other);
    EXPECT_EQ(reinterpret_cast<HWND>(g_events[1].wParam), child);
    SetCapture(child);
    g_events.clear();
    SetCapture(other);
    EXPECT_EQ(Messages(child), (std::vector<UINT>{WM_CAPTURECHANGED}));
    ReleaseCapture();
    DestroyWindow(top);
}

TEST_F(WindowTest, GeometryIsRelativeToTheParent) {
    HWND top = Make(nullptr, 0, 100, 50, 400, 300);
    HWND child = Make(top, WS_CHILD, 10, 20, 30, 40);
    RECT r;
    GetWindowRect(child, &r);
    EXPECT_EQ(r.left, 110);
    EXPECT_EQ(r.top, 70);
    POINT p{115, 75};
    ScreenToClient(child, &p);
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 5);
    g_events.clear();
    MoveWindow(child, 10, 20, 60, 40, TRUE);  // size only
    EXPECT_EQ(Messages(child), (std::vector<UINT>{WM_SIZE}));
    EXPECT_EQ(LOWORD(g_events.back().lParam), 60);
    g_events.clear();
    SetWindowPos(child, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // moves only
    EXPECT_EQ(Messages(child), (std::vector<UINT>{WM_MOVE}));
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 60);
    EXPECT_EQ(r.bottom, 40);

    // Dialog units of a 9-point font: 6 by 12 pixels per character.
    HWND dialog = CreateWindowExA(0, platform::ui::kDialogClass, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SendMessage(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(platform::ui::CreateDialogFont("宋体", 9)), 0);
    RECT units{4, 8, 8, 16};
    MapDialogRect(dialog, &units);
    EXPECT_EQ(units.left, 6);
    EXPECT_EQ(units.top, 12);
    EXPECT_EQ(units.right, 12);
    EXPECT_EQ(units.bottom, 24);
    DestroyWindow(dialog);
    DestroyWindow(top);
}

TEST_F(WindowTest, DialogItemNumbersParseStrictly) {
    HWND top = Make(nullptr, 0);
    CreateWindowExA(0, "Edit", "", WS_CHILD, 0, 0, 10, 10, top, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    struct Case {
        const char* text;
        BOOL isSigned;
        BOOL ok;
        UINT value;
    };
    for (const Case& c : {Case{" 42 ", TRUE, TRUE, 42}, Case{"-7", TRUE, TRUE, static_cast<UINT>(-7)},
                          Case{"-7", FALSE, FALSE, 0}, Case{"12a", TRUE, FALSE, 0}, Case{"", TRUE, FALSE, 0},
                          Case{"2147483648", TRUE, FALSE, 0}, Case{"-2147483648", TRUE, TRUE, 0x80000000u},
                          Case{"4294967295", FALSE, TRUE, 4294967295u}, Case{"4294967296", FALSE, FALSE, 0}}) {
        SetDlgItemTextA(top, 5, c.text);
        BOOL ok = -1;
        UINT value = GetDlgItemInt(top, 5, &ok, c.isSigned);
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
    BOOL ok = TRUE;
    EXPECT_EQ(GetDlgItemInt(top, 99, &ok, TRUE), 0u);
    EXPECT_FALSE(ok);
    DestroyWindow(top);
}

TEST_F(WindowTest, OnlyTheOwningThreadDestroysAndSafePointsAreCalled) {
    HWND top = Make(nullptr, 0);
    static std::atomic<int> safePoints{0};
    safePoints = 0;
    platform::ui::SetSafePointHook([] { ++safePoints; });
    BOOL destroyed = TRUE;
    std::thread other([&] {
        destroyed = DestroyWindow(top);
        MessageBoxA(nullptr, "t", "c", MB_OK);
    });
    other.join();
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(IsWindow(top));
    EXPECT_EQ(safePoints, 1);  // the box; a send to the own thread is no safe point
    SendMessage(top, WM_NULL, 0, 0);
    EXPECT_EQ(safePoints, 1);
    platform::ui::SetSafePointHook(nullptr);
    DestroyWindow(top);
}

TEST_F(WindowTest, TheThreadObjectRunsUntilQuitAndIdlesBetween) {
    struct Counting : CWinThread {
        int idle = 0;
        BOOL OnIdle(LONG count) override {
            ++idle;
            if (count == 0) {
                PostQuitMessage(3);
            }
            return TRUE;  // more idle work, but the waiting quit message comes first
        }
    } thread;
    HWND top = Make(nullptr, 0);
    PostMessage(top, WM_APP, 0, 0);
    EXPECT_EQ(thread.Run(), 3);
    EXPECT_EQ(thread.idle, 1);
    PostMessage(top, WM_APP, 0, 0);
    EXPECT_TRUE(AfxPumpMessage());
    DestroyWindow(top);
}

int g_timerCalls = 0;
void CountTimer(HWND, UINT, UINT_PTR, DWORD) { ++g_timerCalls; }

TEST_F(WindowTest, QueuesFilterTimersCallProceduresAndZOrderMoves) {
    HWND top = Make(nullptr, 0);
    HWND a = Make(top, WS_CHILD);
    HWND b = Make(top, WS_CHILD);
    HWND c = Make(top, WS_CHILD);
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a);
    SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(b, GW_HWNDPREV), a);
    SetWindowPos(top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(GetWindowLongA(top, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetParent(c, nullptr);
    EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), nullptr);

    // Filters take the messages of one window or one range and leave the rest queued.
    PostMessage(a, WM_APP, 1, 0);
    PostMessage(b, WM_APP + 1, 2, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 2, 3, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(PeekMessage(&msg, nullptr, WM_APP + 2, WM_APP + 2, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessage(&msg, top, 0, 0, PM_REMOVE));  // a child's message counts for its parent
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));

    platform::ui::UseVirtualClock(true);
    g_timerCalls = 0;
    UINT_PTR id = SetTimer(nullptr, 0, 20, &CountTimer);
    EXPECT_NE(id, 0u);
    platform::ui::AdvanceClock(25);
    platform::ui::PumpPendingMessages();
    EXPECT_EQ(g_timerCalls, 1);
    EXPECT_TRUE(KillTimer(nullptr, id));
    SetTimer(a, 5, 10, nullptr);
    DestroyWindow(a);  // its timers go with it
    platform::ui::AdvanceClock(50);
    EXPECT_EQ(platform::ui::PumpPendingMessages(), 0);
    platform::ui::UseVirtualClock(false);
    DestroyWindow(c);
    DestroyWindow(top);
}

TEST_F(WindowTest, TranscriptFileIsUtf8) {
    std::string path = ::testing::TempDir() + "ui_transcript.txt";
    std::remove(path.c_str());
    platform::ui::SetTranscriptFile(path);
    MessageBoxA(nullptr, "房屋闭合检查", "检查", MB_OK);
    platform::ui::SetTranscriptFile("");
    // iconv refuses input that is not UTF-8.
    std::string command = "iconv -f UTF-8 -t UTF-8 '" + path + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), platform::text::GbkToUtf8("box \"检查\" \"房屋闭合检查\" [ok]\n  -> cancel (no answer)\n"));
}

}  // namespace
