// A sample dialog driven end to end, message boxes, scripts and the console driver.
#include <sstream>

#include "platform/text/encoding.h"
#include "platform/ui/answer_drivers.h"
#include "platform/ui/ui_driver.h"
#include "sample_dialog.h"
#include "test_support.h"

using platform::ui::Answer;
using platform::ui::UiDriver;

namespace {

class DialogTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        platform::ui::SetCurrentResources(SampleResources());
    }
    void TearDown() override {
        platform::ui::SetCurrentResources(nullptr);
        UiTest::TearDown();
        EXPECT_EQ(platform::ui::LiveWindowCount(), 0) << "a test left windows behind";
    }
};

TEST_F(DialogTest, ValidatesAndStoresTheValue) {
    // 1.2 is refused with the framework's message and the dialog stays open; 0.057 is taken.
    queue->Push(platform::ui::DialogAnswer(201, [](UiDriver& d) {
        EXPECT_EQ(d.Text(203), "0.25");
        d.SetText(203, "1.2");
        d.Click(IDOK);
        EXPECT_TRUE(d.IsVisible(203));
        d.SetText(203, "0.057");
        d.Click(IDOK);
    }));
    queue->Push(platform::ui::BoxAnswer(IDOK));
    CSampleDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_DOUBLE_EQ(dialog.stored, 0.057);
    EXPECT_TRUE(Logged("请输入一个介于 0 和 1 之间的数。")) << Transcript();

    // The bounds themselves are accepted; text that is no number is refused.
    for (const char* bound : {"1.0", "0", " 0.5 "}) {
        queue->Push(platform::ui::DialogAnswer(201, [bound](UiDriver& d) {
            d.SetText(203, bound);
            d.Click(IDOK);
        }));
        CSampleDialog accepted;
        EXPECT_EQ(accepted.DoModal(), IDOK) << bound;
    }
    platform::ui::ClearTranscript();
    queue->Push(platform::ui::DialogAnswer(201, [](UiDriver& d) {
        d.SetText(203, "nan");
        d.Click(IDOK);
        d.SetText(203, "0.3x");
        d.Click(IDOK);
    }));
    CSampleDialog refused;
    EXPECT_EQ(refused.DoModal(), IDCANCEL);
    EXPECT_DOUBLE_EQ(refused.stored, -1);
    EXPECT_TRUE(Logged("请输入一个数。")) << Transcript();
}

TEST_F(DialogTest, RestoreButtonAndUnreachableControls) {
    int extra = -1;
    queue->Push(platform::ui::DialogAnswer(201, [](UiDriver& d) {
        d.SetText(203, "0.7");
        d.Click(204);
        EXPECT_EQ(d.Text(203), "0.1");
        EXPECT_FALSE(d.Click(205));  // disabled
        EXPECT_FALSE(d.Click(206));  // hidden
        d.PressKeyIn(203, VK_RETURN);  // Enter presses the default button
    }));
    CSampleDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    extra = dialog.extraClicks;
    EXPECT_EQ(extra, 0);
    EXPECT_DOUBLE_EQ(dialog.stored, 0.1);
    EXPECT_TRUE(Logged("click 205: the control is disabled; nothing happens")) << Transcript();
    EXPECT_TRUE(Logged("click 206: the control is hidden; nothing happens")) << Transcript();
}

TEST_F(DialogTest, UnansweredDialogIsCancelledAndLogged) {
    CSampleDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_DOUBLE_EQ(dialog.stored, -1);
    EXPECT_TRUE(Logged("dialog 201 \"最小空隙设置\"")) << Transcript();
    EXPECT_TRUE(Logged("-> cancel (no answer)"));
    EXPECT_TRUE(Logged("dialog 201 left open: cancel"));

    // Escape cancels as a person would; an answer for another dialog does not fit.
    queue->Push(platform::ui::DialogAnswer(201, [](UiDriver& d) { d.PressKeyIn(203, VK_ESCAPE); }));
    EXPECT_EQ(CSampleDialog().DoModal(), IDCANCEL);
    queue->Push(platform::ui::DialogAnswer(999, [](UiDriver& d) { d.Click(IDOK); }));
    EXPECT_EQ(CSampleDialog().DoModal(), IDCANCEL);
    EXPECT_TRUE(Logged("the answer is for dialog 999"));
}

class CSelfClosing : public CSampleDialog {
protected:
    BOOL OnInitDialog() override {
        CSampleDialog::OnInitDialog();
        PostMessage(WM_COMMAND, IDOK);  // nothing to ask: it accepts at once
        return TRUE;
    }
};

TEST_F(DialogTest, ADialogThatClosesItselfUsesNoAnswer) {
    queue->Push(platform::ui::BoxAnswer(IDYES));
    CSelfClosing dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(queue->Pending(), 1u);
    EXPECT_TRUE(Logged("dialog 201 \"最小空隙设置\" closed itself")) << Transcript();
    EXPECT_EQ(MessageBox(nullptr, "q", "t", MB_YESNO), IDYES);
}

TEST_F(DialogTest, TemplatesComeFromTheCurrentModuleOnly) {
    HINSTANCE other = platform::ui::CreateResourceModule("other");
    {
        platform::ui::ResourceScope scope(other);
        CSampleDialog dialog;
        EXPECT_EQ(dialog.DoModal(), -1);
        EXPECT_TRUE(Logged("dialog 201 not found in the resources of \"other\"")) << Transcript();
    }
    queue->Push(platform::ui::DialogAnswer(201, [](UiDriver& d) { d.Click(IDOK); }));
    EXPECT_EQ(CSampleDialog().DoModal(), IDOK);
}

TEST_F(DialogTest, MessageBoxesTakeTheQueuedAnswerOrCancel) {
    queue->Push(platform::ui::BoxAnswer(IDNO));
    EXPECT_EQ(MessageBox(nullptr, "确定要退出安装吗 ?", "安装", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_TRUE(Logged("box \"安装\" \"确定要退出安装吗 ?\" [yes/no]")) << Transcript();
    EXPECT_TRUE(Logged("-> no"));

    // Nobody answers: Cancel where there is one, else the declining button, else OK.
    EXPECT_EQ(MessageBoxW(nullptr, u"文件夹", u"t", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "q", "t", MB_YESNO), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "q", "t", MB_ABORTRETRYIGNORE), IDABORT);
    EXPECT_EQ(AfxMessageBox("note"), IDOK);

    // An answer the box does not offer is not taken.
    queue->Push(platform::ui::BoxAnswer(IDYES));
    EXPECT_EQ(MessageBox(nullptr, "q", "t", MB_OKCANCEL), IDCANCEL);
    EXPECT_TRUE(Logged("the box has no button yes"));
}

TEST_F(DialogTest, ScriptAnswersDriveDialogsAndBoxes) {
    std::string error;
    auto script = platform::ui::ParseAnswerScript(
        "# the settings dialog\n"
        "dialog 201: set 203 \"1.5\"; click 1; set 203 0.5; click 1\n"
        "box ok\n"
        "box yes\n"
        "cancel\n",
        &error);
    ASSERT_TRUE(script) << error;
    platform::ui::SetAnswerDriver(script);
    CSampleDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_DOUBLE_EQ(dialog.stored, 0.5);
    EXPECT_EQ(MessageBox(nullptr, "q", "t", MB_YESNO), IDYES);
    EXPECT_EQ(CSampleDialog().DoModal(), IDCANCEL);  // "cancel" answers whatever comes

    EXPECT_FALSE(platform::ui::ParseAnswerScript("box yes\nbox perhaps\n", &error));
    EXPECT_EQ(error, "line 2: unknown button \"perhaps\"");
    EXPECT_FALSE(platform::ui::ParseAnswerScript("color 300 0 0\n", &error));
    EXPECT_EQ(error, "line 1: expected color R G B (0 to 255)");
}

TEST_F(DialogTest, ConsolePersonSeesTheDialogAndAnswers) {
    std::istringstream in("set 203 0.3\nclick 1\n\nno\n");
    std::ostringstream out;
    platform::ui::SetAnswerDriver(std::make_shared<platform::ui::ConsoleDriver>(in, out));
    CSampleDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_DOUBLE_EQ(dialog.stored, 0.3);
    EXPECT_EQ(MessageBox(nullptr, "继续?", "t", MB_YESNO), IDNO);
    std::string shown = out.str();
    EXPECT_NE(shown.find(platform::text::GbkToUtf8("dialog 201 \"最小空隙设置\":")), std::string::npos) << shown;
    EXPECT_NE(shown.find(platform::text::GbkToUtf8("Button 204 \"恢复\"")), std::string::npos) << shown;
    EXPECT_NE(shown.find("answer with one of: yes/no"), std::string::npos);
    // End of input: the next box is cancelled.
    EXPECT_EQ(MessageBox(nullptr, "q", "t", MB_OKCANCEL), IDCANCEL);
}

}  // namespace
