// CWnd objects: attaching, subclassing, temporary wrappers, default handlers and menus.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_menu.h"
#include "platform/ui/icons.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_driver.h"
#include "platform/ui/afx_wnd.h"
#include "platform/ui/window_system.h"
#include "test_support.h"

namespace {

int g_originalCalls = 0;

LRESULT OriginalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        ++g_originalCalls;
        return 7;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakePlain() {
    static bool registered = [] {
        WNDCLASSA wc;
        wc.lpfnWndProc = &OriginalProc;
        wc.lpszClassName = "original";
        return RegisterClassA(&wc) != FALSE;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "original", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

class CCounting : public CWnd {
public:
    int apps = 0;
    int sizes = 0;
    int deleted = 0;
    bool* destroyedFlag = nullptr;

protected:
    LRESULT OnApp(WPARAM, LPARAM) {
        ++apps;
        return Default() + 1;  // the original procedure still answers underneath
    }
    void OnSize(UINT type, int cx, int cy) {
        ++sizes;
        CWnd::OnSize(type, cx, cy);
    }
    void PostNcDestroy() override {
        if (destroyedFlag) {
            *destroyedFlag = true;
        }
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCounting, CWnd)
ON_MESSAGE(WM_APP, OnApp)
ON_WM_SIZE()
END_MESSAGE_MAP()

// An edit that lives while one cell is edited: it reports its text when it loses the focus,
// destroys its window and deletes itself.
class CCellEdit : public CWnd {
public:
    static int alive;
    CCellEdit() { ++alive; }
    ~CCellEdit() override { --alive; }

protected:
    void OnKillFocus(CWnd* next) {
        CWnd::OnKillFocus(next);
        CString text;
        GetWindowText(text);
        NMLVDISPINFO info;
        info.hdr.hwndFrom = m_hWnd;
        info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
        info.hdr.code = LVN_ENDLABELEDIT;
        info.item.pszText = const_cast<char*>(text.GetString());
        GetParent()->SendMessage(WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
        DestroyWindow();
    }
    void OnNcDestroy() {
        CWnd::OnNcDestroy();
        delete this;
    }
    DECLARE_MESSAGE_MAP()
};
int CCellEdit::alive = 0;
BEGIN_MESSAGE_MAP(CCellEdit, CWnd)
ON_WM_KILLFOCUS()
ON_WM_NCDESTROY()
END_MESSAGE_MAP()

class CCellHost : public CWnd {
public:
    std::vector<std::string> reported;

protected:
    void OnEndEdit(NMHDR* header, LRESULT*) {
        reported.push_back(reinterpret_cast<NMLVDISPINFO*>(header)->item.pszText);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCellHost, CWnd)
ON_NOTIFY(LVN_ENDLABELEDIT, 0x1234, OnEndEdit)
END_MESSAGE_MAP()

// A flat owner-drawn button that lights up while the pointer is over it.
class CFlatButton : public CButton {
public:
    bool hover = false;

    void DrawItem(LPDRAWITEMSTRUCT item) override {
        CDC* target = CDC::FromHandle(item->hDC);
        CRect rect(item->rcItem);
        CDC memory;
        memory.CreateCompatibleDC(target);
        CBitmap bitmap;
        bitmap.CreateCompatibleBitmap(target, rect.Width(), rect.Height());
        memory.SelectObject(&bitmap);
        bool pressed = (item->itemState & ODS_SELECTED) != 0;
        memory.FillSolidRect(&rect, hover || pressed ? RGB(255, 255, 255) : GetSysColor(COLOR_BTNFACE));
        if (hover && !pressed) {
            memory.Draw3dRect(&rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
        }
        CString caption;
        GetWindowText(caption);
        memory.DrawText(caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        target->BitBlt(0, 0, rect.Width(), rect.Height(), &memory, 0, 0, SRCCOPY);
    }

protected:
    void OnMouseMove(UINT flags, CPoint point) {
        if (!hover) {
            hover = true;
            SetCapture();
            Invalidate();
        }
        CButton::OnMouseMove(flags, point);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CFlatButton, CButton)
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

class AfxWndTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        g_originalCalls = 0;
    }
    void TearDown() override {
        UiTest::TearDown();
        EXPECT_EQ(platform::ui::LiveWindowCount(), 0);
    }
};

TEST_F(AfxWndTest, SubclassingChainsToTheOriginalAndUndoes) {
    HWND hwnd = MakePlain();
    CCounting wnd;
    ASSERT_TRUE(wnd.SubclassWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), &wnd);
    CCounting second;
    EXPECT_FALSE(second.SubclassWindow(hwnd));  // one object per window
    EXPECT_EQ(SendMessage(hwnd, WM_APP, 0, 0), 8);
    EXPECT_EQ(wnd.apps, 1);
    EXPECT_EQ(g_originalCalls, 1);
    wnd.MoveWindow(0, 0, 20, 20);
    EXPECT_EQ(wnd.sizes, 1);

    EXPECT_EQ(wnd.UnsubclassWindow(), hwnd);
    EXPECT_EQ(SendMessage(hwnd, WM_APP, 0, 0), 7);
    EXPECT_EQ(wnd.apps, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);

    // A temporary wrapper answers for a window without an object and goes with the window.
    CWnd* temporary = CWnd::FromHandle(hwnd);
    ASSERT_TRUE(temporary);
    EXPECT_EQ(temporary->m_hWnd, hwnd);
    EXPECT_EQ(CWnd::FromHandle(hwnd), temporary);
    DestroyWindow(hwnd);
    EXPECT_EQ(CWnd::FromHandle(hwnd), nullptr);
}

TEST_F(AfxWndTest, DestructionDetachesAndAnObjectThatGoesFirstTakesItsWindow) {
    bool notified = false;
    {
        CCounting wnd;
        wnd.destroyedFlag = &notified;
        ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "w", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
        EXPECT_EQ(wnd.sizes, 1);  // the creation messages reached the map
        EXPECT_TRUE(wnd.DestroyWindow());
        EXPECT_TRUE(notified);
        EXPECT_EQ(wnd.m_hWnd, nullptr);
    }
    HWND kept = nullptr;
    {
        CCounting wnd;
        ASSERT_TRUE(wnd.CreateEx(0, AfxRegisterWndClass(0), "w", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
        kept = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(kept));
}

TEST_F(AfxWndTest, ASelfOwnedEditReportsOnceAndGoesAway) {
    CCellHost host;
    ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 300, 200),
                              nullptr, 0));
    auto* edit = new CCellEdit();
    ASSERT_TRUE(edit->CreateEx(WS_EX_CLIENTEDGE, "Edit", "old", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(10, 10, 80, 26),
                               &host, 0x1234));
    HWND hwnd = edit->m_hWnd;
    edit->SetFocus();
    SendMessage(hwnd, EM_SETSEL, 0, -1);
    SendMessage(hwnd, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("新值"));
    host.SetFocus();  // a click elsewhere
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(CCellEdit::alive, 0);
    EXPECT_EQ(host.reported, (std::vector<std::string>{"新值"}));
    host.DestroyWindow();
}

TEST_F(AfxWndTest, IconsComeFromTheModuleAndGoOnButtons) {
    HINSTANCE module = platform::ui::CreateResourceModule("icons");
    platform::ui::AddIcon(module, platform::ui::IconResource{215, 32, 32});
    EXPECT_EQ(LoadImage(nullptr, MAKEINTRESOURCE(215), IMAGE_ICON, 16, 16, 0), nullptr);  // another module is current
    EXPECT_TRUE(Logged("icon 215 not found")) << Transcript();
    platform::ui::ResourceScope scope(module);
    auto icon = static_cast<HICON>(LoadImage(nullptr, MAKEINTRESOURCE(215), IMAGE_ICON, 16, 16, 0));
    platform::ui::IconInfo info;
    ASSERT_TRUE(platform::ui::GetIconInfo(icon, info));
    EXPECT_EQ(info.width, 16);
    EXPECT_EQ(info.id, 215u);
    HICON own = LoadIcon(nullptr, MAKEINTRESOURCE(215));
    ASSERT_TRUE(platform::ui::GetIconInfo(own, info));
    EXPECT_EQ(info.width, 32);

    HWND host = CreateWindowExA(0, "Static", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CButton button;
    ASSERT_TRUE(button.Create("保存", WS_CHILD | BS_PUSHBUTTON, CRect(0, 0, 40, 20), CWnd::FromHandle(host), 203));
    button.SetButtonStyle(BS_OWNERDRAW);  // the other style bits stay
    EXPECT_EQ(button.GetButtonStyle(), static_cast<UINT>(BS_OWNERDRAW));
    EXPECT_TRUE(button.GetStyle() & WS_CHILD);
    EXPECT_EQ(button.SetIcon(icon), nullptr);
    EXPECT_EQ(button.GetIcon(), icon);
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_FALSE(platform::ui::GetIconInfo(icon, info));
    DestroyWindow(host);
}

TEST_F(AfxWndTest, OwnerDrawnButtonsPaintWhenInvalidated) {
    CCellHost host;
    ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 300, 200),
                              nullptr, 0));
    CFlatButton button;
    ASSERT_TRUE(button.Create("保存", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 30), &host, 203));
    EXPECT_TRUE(platform::ui::LastPaintOf(button.m_hWnd).empty());
    platform::ui::UiDriver driver(host.m_hWnd);
    driver.Hover(203);  // the pump paints what was invalidated
    auto lines = platform::ui::LastPaintOf(button.m_hWnd);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "copy 0 0 50 20 from 0 0");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  frame 0 0 50 20 ffffff a0a0a0"), lines.end());
    EXPECT_EQ(lines.back(), "  text 0 0 50 20 centre \"保存\"");
    EXPECT_EQ(GetCapture(), button.m_hWnd);
    ReleaseCapture();
    host.DestroyWindow();
}

TEST_F(AfxWndTest, MenusBuildFindAndOwnTheirPopups) {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 32768, "打开");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, 32772, "设置");
    menu.InsertMenu(1, MF_BYPOSITION | MF_STRING, 32769, "保存");
    EXPECT_EQ(menu.GetMenuItemCount(), 4u);
    EXPECT_EQ(menu.GetMenuItemID(1), 32769u);
    CString text;
    menu.GetMenuString(32772, text, MF_BYCOMMAND);
    EXPECT_EQ(text, CString("设置"));
    EXPECT_EQ(menu.CheckMenuItem(32768, MF_CHECKED), static_cast<UINT>(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(menu, 32768, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_TRUE(menu.DeleteMenu(32769, MF_BYCOMMAND));
    EXPECT_EQ(menu.GetMenuItemCount(), 3u);

    CMenu bar;
    bar.CreateMenu();
    HMENU popup = menu.Detach();
    bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "文件");
    CMenu* sub = bar.GetSubMenu(0);
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->m_hMenu, popup);
    EXPECT_EQ(bar.GetSubMenu(5), nullptr);
    // The sub-menu's object does not own the handle; the bar destroys both.
    bar.DestroyMenu();
    EXPECT_FALSE(IsMenu(popup));
}

}  // namespace
