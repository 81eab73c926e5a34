// Data exchange: loading, saving, validation messages and the stop after the first failure.
#include "platform/ui/afx_dialog.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_driver.h"
#include "test_support.h"

using platform::ui::Control;
using platform::ui::ControlKind;
using platform::ui::UiDriver;

namespace {

HINSTANCE ExchangeResources() {
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("exchange");
        platform::ui::DialogTemplate t;
        t.id = 223;
        t.caption = "设置";
        t.cx = 219;
        t.cy = 193;
        t.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION;
        t.controls = {Control(IDOK, ControlKind::DefPushButton, "确定", 60, 172, 50, 14),
                      Control(IDCANCEL, ControlKind::PushButton, "取消", 123, 172, 50, 14),
                      Control(211, ControlKind::CheckBox, "居中缩放", 14, 20, 48, 10),
                      Control(224, ControlKind::Edit, "", 100, 20, 19, 12),
                      Control(210, ControlKind::Edit, "", 150, 20, 12, 12),
                      Control(230, ControlKind::Edit, "", 14, 60, 100, 12),
                      Control(240, ControlKind::RadioButton, "点", 14, 90, 40, 10, WS_GROUP),
                      Control(241, ControlKind::RadioButton, "线", 60, 90, 40, 10),
                      Control(242, ControlKind::RadioButton, "面", 110, 90, 40, 10)};
        platform::ui::AddDialog(m, t);
        return m;
    }();
    return module;
}

class CLinkDialog : public CDialog {
public:
    CLinkDialog() : CDialog(223) {}
    int zoom = 1;
    int scale = 30;
    UINT times = 0;
    CString prefix = "JZD";
    int kind = 1;
    int exchanges = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        ++exchanges;
        DDX_Check(dx, 211, zoom);
        DDX_Text(dx, 224, scale);
        DDX_Text(dx, 210, times);
        DDV_MinMaxUInt(dx, times, 0, 9);
        DDX_Text(dx, 230, prefix);
        DDV_MaxChars(dx, prefix, 4);
        DDX_Radio(dx, 240, kind);
    }
};

class DataExchangeTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        platform::ui::SetCurrentResources(ExchangeResources());
    }
    void TearDown() override {
        platform::ui::SetCurrentResources(nullptr);
        UiTest::TearDown();
    }
};

TEST_F(DataExchangeTest, LoadsSavesAndStopsAtTheFirstBadValue) {
    queue->Push(platform::ui::DialogAnswer(223, [](UiDriver& d) {
        EXPECT_TRUE(d.IsChecked(211));
        EXPECT_EQ(d.Text(224), "30");
        EXPECT_TRUE(d.IsChecked(241));
        d.SetText(224, "150");  // the edit takes any integer
        d.SetText(210, "12");   // but 12 flashes are too many
        d.Click(IDOK);
        EXPECT_EQ(GetFocus(), d.Item(210));  // the refused value has the focus, selected
        DWORD start = 0;
        DWORD end = 0;
        SendMessage(d.Item(210), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(end - start, 2u);
        d.SetText(210, "-1");  // not an unsigned number
        d.Click(IDOK);
        d.SetText(210, "3");
        d.SetText(230, "宗地代码");  // typing stops at the 4 bytes the exchange allowed
        EXPECT_EQ(d.Text(230), "宗地");
        SetWindowTextA(d.Item(230), "宗地代码");  // set by code, the limit does not apply
        d.Click(IDOK);
        d.SetText(230, "JZ");
        d.Check(211, false);
        d.Click(242);
        d.Click(IDOK);
    }));
    CLinkDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.scale, 150);
    EXPECT_EQ(dialog.times, 3u);
    EXPECT_EQ(dialog.zoom, 0);
    EXPECT_EQ(dialog.kind, 2);
    EXPECT_EQ(dialog.prefix, CString("JZ"));
    EXPECT_TRUE(Logged("请输入一个介于 0 和 9 之间的整数。")) << Transcript();
    EXPECT_TRUE(Logged("请输入一个整数。"));
    EXPECT_TRUE(Logged("请输入不超过 4 个字符。"));
    // One load and four saves; the failed saves changed nothing after the bad value.
    EXPECT_EQ(dialog.exchanges, 5);
}

TEST_F(DataExchangeTest, ValuesOutOfTheTypeAreRefused) {
    queue->Push(platform::ui::DialogAnswer(223, [](UiDriver& d) {
        d.SetText(224, "99999999999");
        d.Click(IDOK);
        d.SetText(224, "");
        d.Click(IDOK);
    }));
    CLinkDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.scale, 30);
    int refusals = 0;
    for (auto& line : platform::ui::TranscriptLines()) {
        refusals += line.find("请输入一个整数。") != std::string::npos;
    }
    EXPECT_EQ(refusals, 2) << Transcript();
}

}  // namespace
