// A wizard whose last page runs a worker thread that reports through sent messages.
#include <atomic>
#include <thread>

#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_property_sheet.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_driver.h"
#include "test_support.h"

using platform::ui::Control;
using platform::ui::ControlKind;
using platform::ui::UiDriver;

namespace {

constexpr UINT kProgress = 1691;
constexpr UINT kFinished = 1694;

HINSTANCE WizardResources() {
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("wizard");
        auto page = [&](UINT id, std::vector<platform::ui::ControlTemplate> controls) {
            platform::ui::DialogTemplate t;
            t.id = id;
            t.fontFace = "宋体";
            t.pointSize = 9;
            t.cx = 317;
            t.cy = 143;
            t.style = WS_CHILD | WS_CAPTION;
            t.controls = std::move(controls);
            platform::ui::AddDialog(m, t);
        };
        page(129, {Control(1002, ControlKind::RadioButton, "同意", 10, 100, 50, 10, WS_GROUP),
                   Control(1003, ControlKind::RadioButton, "不同意", 70, 100, 50, 10)});
        page(131, {Control(1001, ControlKind::Edit, "", 10, 20, 200, 14)});
        page(130, {Control(1005, ControlKind::Static, "请单击开始按钮进行安装", 10, 10, 250, 10),
                   Control(1000, ControlKind::Progress, "", 10, 30, 250, 10)});
        return m;
    }();
    return module;
}

class CAgreementPage : public CPropertyPage {
public:
    CAgreementPage() : CPropertyPage(129) {}

protected:
    BOOL OnInitDialog() override {
        CPropertyPage::OnInitDialog();
        CheckRadioButton(1002, 1003, 1003);
        return TRUE;
    }
    BOOL OnSetActive() override {
        GetParent()->PostMessage(PSM_SETWIZBUTTONS, 0, IsDlgButtonChecked(1002) ? PSWIZB_NEXT : 0);
        return CPropertyPage::OnSetActive();
    }
    void OnAgree() { GetParent()->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CAgreementPage, CPropertyPage)
ON_BN_CLICKED(1002, OnAgree)
END_MESSAGE_MAP()

class CPathPage : public CPropertyPage {
public:
    CPathPage() : CPropertyPage(131) {}
    CString path = "C:\\Program Files\\Dero90";

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, 1001, path); }
    BOOL OnSetActive() override {
        GetParent()->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
        return CPropertyPage::OnSetActive();
    }
    LRESULT OnWizardNext() override {
        if (path.IsEmpty()) {
            AfxMessageBox("选择安装版本和路径!");
            return -1;
        }
        return 0;
    }
};

class CProgressPage : public CPropertyPage {
public:
    CProgressPage() : CPropertyPage(130) {}
    ~CProgressPage() override {
        if (worker.joinable()) {
            worker.join();
        }
    }
    std::thread worker;
    std::vector<DWORD> handledOn;
    bool finished = false;

protected:
    BOOL OnSetActive() override {
        GetParent()->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH);
        return CPropertyPage::OnSetActive();
    }
    BOOL OnWizardFinish() override {
        if (finished) {
            return TRUE;
        }
        if (!worker.joinable()) {
            HWND page = m_hWnd;
            worker = std::thread([page] {
                for (int i = 1; i <= 10; ++i) {
                    ::SendMessage(page, kProgress, static_cast<WPARAM>(i * 10), 0);
                }
                ::SendMessage(page, kFinished, 0, 0);
            });
        }
        return FALSE;
    }
    LRESULT OnProgress(WPARAM wParam, LPARAM) {
        handledOn.push_back(GetCurrentThreadId());
        SendDlgItemMessage(1000, PBM_SETPOS, wParam);
        return 0;
    }
    LRESULT OnFinished(WPARAM, LPARAM) {
        finished = true;
        SetDlgItemText(1005, "安装完成");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CProgressPage, CPropertyPage)
ON_MESSAGE(kProgress, OnProgress)
ON_MESSAGE(kFinished, OnFinished)
END_MESSAGE_MAP()

class PropertySheetTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        platform::ui::SetCurrentResources(WizardResources());
    }
    void TearDown() override {
        platform::ui::SetCurrentResources(nullptr);
        UiTest::TearDown();
        EXPECT_EQ(platform::ui::LiveWindowCount(), 0);
    }
};

TEST_F(PropertySheetTest, WizardWalksThePagesAndWaitsForTheWorker) {
    CAgreementPage agreement;
    CPathPage settings;
    CProgressPage progress;
    CPropertySheet sheet("Dero 9.1 安装");
    sheet.AddPage(&agreement);
    sheet.AddPage(&settings);
    sheet.AddPage(&progress);
    sheet.SetWizardMode();
    const DWORD uiThread = GetCurrentThreadId();

    queue->Push(platform::ui::DialogAnswer(129, [&](UiDriver& d) {
        EXPECT_FALSE(d.Click(ID_WIZNEXT));  // not agreed yet
        d.Click(1002);
        EXPECT_TRUE(d.Click(ID_WIZNEXT));
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        d.SetText(1001, "");
        d.Click(ID_WIZNEXT);  // refused with a message
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        d.Click(ID_WIZBACK);
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        d.Click(ID_WIZNEXT);
        d.SetText(1001, "D:\\Dero");
        d.Click(ID_WIZNEXT);
        EXPECT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_FALSE(d.IsVisible(ID_WIZNEXT));
        d.Click(ID_WIZFINISH);  // starts the worker
        for (int i = 0; i < 500 && !progress.finished; ++i) {
            d.WaitFor(2);
        }
        EXPECT_EQ(d.Text(1005), "安装完成");
        d.Click(ID_WIZFINISH);
    }));
    EXPECT_EQ(sheet.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(settings.path, CString("D:\\Dero"));
    ASSERT_EQ(progress.handledOn.size(), 10u);
    for (DWORD thread : progress.handledOn) {
        EXPECT_EQ(thread, uiThread);
    }
    EXPECT_TRUE(Logged("选择安装版本和路径!")) << Transcript();

    // Without an answer the wizard is cancelled through its Cancel button.
    CPropertySheet again("again");
    CAgreementPage only;
    again.AddPage(&only);
    again.SetWizardMode();
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    EXPECT_TRUE(Logged("dialog 129 left open: cancel"));
}

// A page that may refuse to be shown or left, and counts what happened to it.
class CCountingPage : public CPropertyPage {
public:
    explicit CCountingPage(UINT id) : CPropertyPage(id) {}
    bool showable = true;
    bool leavable = true;
    int applied = 0;
    int shown = 0;

protected:
    BOOL OnSetActive() override {
        if (!showable) {
            return FALSE;
        }
        ++shown;
        return CPropertyPage::OnSetActive();
    }
    BOOL OnKillActive() override { return leavable && CPropertyPage::OnKillActive(); }
    BOOL OnApply() override {
        ++applied;
        return CPropertyPage::OnApply();
    }
};

TEST_F(PropertySheetTest, PagesThatRefuseAreSkippedOrKept) {
    CCountingPage first(129);
    CCountingPage skipped(131);
    CCountingPage last(130);
    skipped.showable = false;
    CPropertySheet wizard(u"补丁");
    wizard.AddPage(&first);
    wizard.AddPage(&skipped);
    wizard.AddPage(&last);
    wizard.SetWizardMode();
    queue->Push(platform::ui::DialogAnswer(129, [&](UiDriver& d) {
        wizard.SendMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
        wizard.SendMessage(PSM_PRESSBUTTON, PSBTN_NEXT);
        EXPECT_EQ(wizard.GetActivePage(), &last);  // the page that would not show was passed over
        wizard.SendMessage(PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>("完成(&F)"));
        EXPECT_EQ(d.Text(ID_WIZFINISH), "完成(&F)");
        EXPECT_FALSE(d.IsVisible(ID_WIZBACK));
        d.Click(ID_WIZFINISH);
    }));
    EXPECT_EQ(wizard.DoModal(), ID_WIZFINISH);
    EXPECT_EQ(skipped.shown, 0);

    // Tabbed: a page that will not be left keeps its tab; OK applies every page that was made.
    CCountingPage a(129);
    CCountingPage b(131);
    CCountingPage c(130);
    a.m_psp.pszTitle = "协议";
    b.m_psp.pszTitle = "路径";
    c.m_psp.pszTitle = "安装";
    CPropertySheet tabs("设置");
    tabs.AddPage(&a);
    tabs.AddPage(&b);
    tabs.AddPage(&c);
    queue->Push(platform::ui::DialogAnswer(129, [&](UiDriver& d) {
        d.ChooseTab(kSheetTabId, 1);
        EXPECT_EQ(tabs.GetActiveIndex(), 1);
        b.leavable = false;
        d.ChooseTab(kSheetTabId, 2);
        EXPECT_EQ(tabs.GetActiveIndex(), 1);
        b.leavable = true;
        d.Click(IDOK);
    }));
    EXPECT_EQ(tabs.DoModal(), IDOK);
    EXPECT_EQ(a.applied, 1);
    EXPECT_EQ(b.applied, 1);
    EXPECT_EQ(c.applied, 0);  // never shown, never made

    // A page whose template is missing: the sheet does not open.
    CCountingPage missing(999);
    CPropertySheet broken("broken");
    broken.AddPage(&missing);
    EXPECT_EQ(broken.DoModal(), -1);
    EXPECT_TRUE(Logged("page 999 not found in the resources of \"wizard\"")) << Transcript();
}

}  // namespace
