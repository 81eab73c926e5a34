// The framework: message maps with reflection, pre-translation, dock bars and common dialogs.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ui/afx_common_dialogs.h"
#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_dialog.h"
#include "platform/ui/afx_dock_bar.h"
#include "platform/ui/folder_browser.h"
#include "platform/ui/resources.h"
#include "platform/ui/svg_snapshot.h"
#include "platform/ui/dialog_manager.h"
#include "platform/text/encoding.h"
#include "platform/ui/ui_driver.h"
#include "test_support.h"

using platform::ui::Control;
using platform::ui::ControlKind;
using platform::ui::UiDriver;

namespace {

HINSTANCE Resources() {
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("framework");
        platform::ui::DialogTemplate t;
        t.id = 200;
        t.fontFace = "宋体";
        t.pointSize = 9;
        t.cx = 488;
        t.cy = 138;
        t.style = WS_CHILD;
        t.controls = {Control(201, ControlKind::TabControl, "Tab1", 13, 100, 170, 14, TCS_BOTTOM),
                      Control(202, ControlKind::RichEdit, "", 7, 29, 185, 57, ES_MULTILINE | ES_READONLY),
                      Control(204, ControlKind::ListView, "", 200, 10, 200, 80, LVS_REPORT)};
        platform::ui::AddDialog(m, t);
        return m;
    }();
    return module;
}

// A list that takes its own end-of-edit notifications, as an editable grid does.
class CEditableList : public CListCtrl {
public:
    int reflected = 0;

protected:
    void OnEndLabelEdit(NMHDR* header, LRESULT* result) {
        ++reflected;
        auto* info = reinterpret_cast<NMLVDISPINFO*>(header);
        if (info->item.pszText) {
            SetItemText(info->item.iItem, info->item.iSubItem, info->item.pszText);
        }
        *result = 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CEditableList, CListCtrl)
ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEdit)
END_MESSAGE_MAP()

class CViewDialog : public CDialog {
public:
    CViewDialog() : CDialog(200) {}
    CEditableList list;
    int tabChanges = 0;
    int parentSawEndEdit = 0;
    int parentSawClick = 0;
    bool swallowEscape = true;

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, 204, list); }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (swallowEscape && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
            return TRUE;
        }
        return CDialog::PreTranslateMessage(msg);
    }
    void OnTabChange(NMHDR*, LRESULT* result) {
        ++tabChanges;
        *result = 0;
    }
    void OnEndEdit(NMHDR*, LRESULT*) { ++parentSawEndEdit; }
    void OnListClick(NMHDR*, LRESULT*) { ++parentSawClick; }
    void OnCancel() override { DestroyWindow(); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CViewDialog, CDialog)
ON_NOTIFY(TCN_SELCHANGE, 201, OnTabChange)
ON_NOTIFY(LVN_ENDLABELEDIT, 204, OnEndEdit)
ON_NOTIFY(NM_CLICK, 204, OnListClick)
END_MESSAGE_MAP()

class CBar : public CDockControlBar {
public:
    CViewDialog view;
    std::vector<CRect> resized;
    int closing = 0;

    void OnBarResized(CRect* rect) override {
        resized.push_back(*rect);
        view.MoveWindow(rect->left, rect->top + 2, rect->Width(), rect->Height() - 2);
    }
    void OnClosing() override { ++closing; }

protected:
    int OnCreate(LPCREATESTRUCT cs) {
        if (CDockControlBar::OnCreate(cs) == -1) {
            return -1;
        }
        platform::ui::ResourceScope scope(Resources());
        if (!view.Create(200, this)) {
            return -1;
        }
        view.ShowWindow(SW_SHOW);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBar, CDockControlBar)
ON_WM_CREATE()
END_MESSAGE_MAP()

class FrameworkTest : public UiTest {
protected:
    void TearDown() override {
        UiTest::TearDown();
        EXPECT_EQ(platform::ui::LiveWindowCount(), 0);
    }
};

TEST_F(FrameworkTest, DockBarDocksResizesHidesAndRoutesMessages) {
    CFrameWnd frame;
    ASSERT_TRUE(frame.CreateFrame("host", CRect(0, 0, 800, 600)));
    frame.EnableDocking(CBRS_ALIGN_ANY);
    {
        // A bar whose window the system refuses is not created, and nothing is left behind.
        platform::ui::FailWindowCreation("*", 1);
        CBar refused;
        EXPECT_FALSE(refused.Create(AfxRegisterWndClass(CS_DBLCLKS), "x", WS_CHILD, CRect(0, 0, 10, 10), &frame, 0));
        EXPECT_FALSE(refused.m_hWnd);
        platform::ui::FailWindowCreation(platform::ui::kDialogClass, 1);
        EXPECT_FALSE(refused.Create(AfxRegisterWndClass(CS_DBLCLKS), "x", WS_CHILD, CRect(0, 0, 10, 10), &frame, 0));
        EXPECT_FALSE(refused.m_hWnd);  // its view could not be made, so OnCreate failed it
    }
    CBar bar;
    ASSERT_TRUE(bar.Create(AfxRegisterWndClass(CS_DBLCLKS), "信息浏览器", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           CRect(0, 0, 250, 200), &frame, 0));
    ASSERT_TRUE(bar.view.m_hWnd);
    EXPECT_FALSE(frame.DockControlBar(&bar, AFX_IDW_DOCKBAR_BOTTOM));  // the bar did not allow docking
    bar.EnableDocking(CBRS_ALIGN_ANY);
    CRect frameRect;
    frame.GetWindowRect(&frameRect);
    CRect dock = frameRect;
    dock.top = dock.bottom - 200;
    ASSERT_TRUE(frame.DockControlBar(&bar, AFX_IDW_DOCKBAR_BOTTOM, &dock));
    ASSERT_EQ(bar.resized.size(), 1u);
    EXPECT_EQ(bar.resized[0], CRect(0, 0, 800, 200));
    CRect placed;
    bar.GetWindowRect(&placed);
    EXPECT_EQ(placed, CRect(0, 400, 800, 600));
    CRect view;
    bar.view.GetWindowRect(&view);
    EXPECT_EQ(view, CRect(0, 402, 800, 600));

    frame.MoveWindow(0, 0, 1000, 700);
    // A picture of the tree for a person: well-formed SVG with the texts in UTF-8.
    std::string svg = platform::ui::RenderSvg(frame.m_hWnd);
    std::string file = ::testing::TempDir() + "ui_frame.svg";
    FILE* out = std::fopen(file.c_str(), "wb");
    ASSERT_TRUE(out);
    std::fwrite(svg.data(), 1, svg.size(), out);
    std::fclose(out);
    EXPECT_EQ(std::system(("xmllint --noout '" + file + "'").c_str()), 0);
    EXPECT_NE(svg.find(platform::text::GbkToUtf8("信息浏览器")), std::string::npos);
    ASSERT_EQ(bar.resized.size(), 2u);
    EXPECT_EQ(bar.resized[1], CRect(0, 0, 1000, 200));
    EXPECT_EQ(frame.GetFreeArea(), CRect(0, 0, 1000, 500));

    // Tabs and notifications reach the dialog's map; the list keeps its own end-of-edit.
    CTabCtrl tabs;
    tabs.SubclassWindow(::GetDlgItem(bar.view.m_hWnd, 201));
    tabs.InsertItem(0, "a");
    tabs.InsertItem(1, "b");
    UiDriver driver(bar.view.m_hWnd);
    driver.ChooseTab(201, 1);
    EXPECT_EQ(bar.view.tabChanges, 1);
    bar.view.list.InsertColumn(0, "选择", LVCFMT_LEFT, 100);
    bar.view.list.InsertItem(0, "old");
    NMLVDISPINFO info;
    info.hdr.hwndFrom = bar.view.list.m_hWnd;
    info.hdr.idFrom = 204;
    info.hdr.code = LVN_ENDLABELEDIT;
    info.item.pszText = const_cast<char*>("new");
    bar.view.SendMessage(WM_NOTIFY, 204, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(bar.view.list.reflected, 1);
    EXPECT_EQ(bar.view.parentSawEndEdit, 0);
    EXPECT_EQ(bar.view.list.GetItemText(0, 0), CString("new"));
    driver.ClickListCell(204, 0, 0);
    EXPECT_EQ(bar.view.parentSawClick, 1);  // not reflected: the parent hears it

    // Escape in the rich edit: swallowed by the dialog's hook; without it the dialog closes.
    driver.PressKeyIn(202, VK_ESCAPE);
    EXPECT_TRUE(bar.view.IsWindow());
    bar.view.swallowEscape = false;
    driver.PressKeyIn(202, VK_ESCAPE);
    EXPECT_FALSE(bar.view.IsWindow());

    frame.CloseControlBar(&bar);
    EXPECT_EQ(bar.closing, 1);
    EXPECT_FALSE(bar.IsWindowVisible());
    frame.ShowControlBar(&bar, TRUE);
    EXPECT_TRUE(bar.IsWindowVisible());
    tabs.UnsubclassWindow();
    frame.DestroyWindow();
    EXPECT_FALSE(bar.m_hWnd);
}

// A folder chooser that subclasses the browser and adds an edit box, checking the typed path.
class CPathBrowser : public CWnd {
public:
    CString typed;
    int refused = 0;

protected:
    void OnOK() {
        GetDlgItemText(14148, typed);
        if (typed.Find('|') >= 0) {
            ++refused;
            AfxMessageBox("The folder:\n\nis invalid. Please reenter.\n\n");
            return;
        }
        ::EndDialog(m_hWnd, 1);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPathBrowser, CWnd)
ON_BN_CLICKED(IDOK, OnOK)
END_MESSAGE_MAP()

struct BrowseState {
    CPathBrowser browser;
    std::vector<std::string> selections;
};

int BrowseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data) {
    auto* state = reinterpret_cast<BrowseState*>(data);
    if (msg == BFFM_INITIALIZED) {
        state->browser.SubclassWindow(hwnd);
        ::ShowWindow(::GetDlgItem(hwnd, kFolderStatusId), SW_HIDE);
        CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 10, 60, 300,
                        20, hwnd, reinterpret_cast<HMENU>(14148), nullptr, nullptr);
        ::SendMessage(hwnd, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>("C:\\start"));
    } else if (msg == BFFM_SELCHANGED) {
        char path[MAX_PATH] = {};
        SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), path);
        state->selections.push_back(path);
        ::SetDlgItemTextA(hwnd, 14148, path);
        ::SendMessage(hwnd, BFFM_ENABLEOK, 0, path[0] != '\0');
    }
    return 0;
}

TEST_F(FrameworkTest, FolderBrowserRunsTheCallbackAndTheSubclass) {
    BrowseState state;
    BROWSEINFOA info;
    char name[MAX_PATH] = {};
    info.pszDisplayName = name;
    info.lpszTitle = "选择安装路径";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    info.lpfn = &BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&state);

    queue->Push(platform::ui::FolderAnswer("D:\\数据\\新"));
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    ASSERT_TRUE(chosen);
    char path[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(chosen, path));
    EXPECT_STREQ(path, "D:\\数据\\新");
    EXPECT_STREQ(name, "新");
    EXPECT_EQ(state.selections, (std::vector<std::string>{"C:\\start", "D:\\数据\\新"}));
    LPMALLOC shell = nullptr;
    ASSERT_EQ(SHGetMalloc(&shell), S_OK);
    shell->Free(chosen);

    // A virtual folder has no path: OK stays disabled and the browser ends cancelled.
    BrowseState second;
    info.lParam = reinterpret_cast<LPARAM>(&second);
    queue->Push(platform::ui::FolderAnswer("::Computer"));
    EXPECT_EQ(SHBrowseForFolderA(&info), nullptr);
    EXPECT_TRUE(Logged("click 1: the control is disabled")) << Transcript();

    // Typed into the edit box: refused with a message, then corrected.
    BrowseState third;
    info.lParam = reinterpret_cast<LPARAM>(&third);
    queue->Push(platform::ui::FolderActionsAnswer([](UiDriver& d) {
        d.SetText(14148, "D:\\a|b");
        d.Click(IDOK);
        EXPECT_TRUE(d.IsVisible(14148));
        d.SetText(14148, "D:\\ab");
        d.Click(IDOK);
    }));
    chosen = SHBrowseForFolderA(&info);
    EXPECT_TRUE(chosen);
    CoTaskMemFree(chosen);
    EXPECT_EQ(third.browser.refused, 1);
    EXPECT_EQ(third.browser.typed, CString("D:\\ab"));
    EXPECT_TRUE(Logged("is invalid. Please reenter.")) << Transcript();
}

TEST_F(FrameworkTest, FileDialogWritesNamesAsTheDesktopDoes) {
    char small[16] = {};
    CFileDialog open(TRUE, "*.mpj", nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST,
                     "MapGis(*.mpj)|*.mpj|点文件(*.wt)|*.wt||");
    std::string buffer(26000, '\0');
    open.m_ofn.lpstrFile = buffer.data();
    open.m_ofn.nMaxFile = 26000;
    queue->Push(platform::ui::OpenFileAnswer({"C:\\地图\\a.wt", "C:\\地图\\b.wl", "C:\\地图\\proj"}));
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(std::string(buffer.data(), 27), std::string("C:\\地图\0a.wt\0b.wl\0proj.mpj\0\0", 27));
    POSITION pos = open.GetStartPosition();
    std::vector<std::string> names;
    while (pos) {
        names.push_back(open.GetNextPathName(pos).str());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"C:\\地图\\a.wt", "C:\\地图\\b.wl", "C:\\地图\\proj.mpj"}));
    EXPECT_TRUE(Logged("open \"打开\"")) << Transcript();

    // Names that do not fit the caller's buffer are not cut: the dialog fails and says why.
    CFileDialog tight(TRUE);
    tight.m_ofn.lpstrFile = small;
    tight.m_ofn.nMaxFile = sizeof small;
    queue->Push(platform::ui::OpenFileAnswer({"C:\\a\\long-name.wt"}));
    EXPECT_EQ(tight.DoModal(), IDCANCEL);
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(small[0], '\0');

    // Font and colour: the answer comes back as the rich edit's character format.
    CHARFORMAT start;
    std::strcpy(start.szFaceName, "宋体");
    CFontDialog font(start);
    platform::ui::FontChoice choice;
    choice.face = "黑体";
    choice.pointSize = 12;
    choice.bold = true;
    queue->Push(platform::ui::FontAnswer(choice));
    ASSERT_EQ(font.DoModal(), IDOK);
    CHARFORMAT chosen;
    font.GetCharFormat(chosen);
    EXPECT_STREQ(chosen.szFaceName, "黑体");
    EXPECT_EQ(chosen.yHeight, 240);
    EXPECT_TRUE(chosen.dwEffects & CFE_BOLD);
    CColorDialog color(RGB(255, 255, 255));
    EXPECT_EQ(color.DoModal(), IDCANCEL);
    EXPECT_EQ(color.GetColor(), RGB(255, 255, 255));
    queue->Push(platform::ui::ColorAnswer(RGB(10, 20, 30)));
    EXPECT_EQ(color.DoModal(), IDOK);
    EXPECT_EQ(color.GetColor(), RGB(10, 20, 30));
}

}  // namespace
