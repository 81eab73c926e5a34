// The answer source on its own: fitting answers, prompts, scripts of every kind, the console.
#include <sstream>

#include "platform/text/encoding.h"
#include "platform/ui/afx_common_dialogs.h"
#include "platform/ui/answer_drivers.h"
#include "test_support.h"

using platform::ui::Ask;
using platform::ui::Request;
using platform::ui::RequestKind;

namespace {

class AnswerSourceTest : public UiTest {};

Request Prompt(const char* text) {
    Request r;
    r.kind = RequestKind::Prompt;
    r.text = text;
    return r;
}

TEST_F(AnswerSourceTest, AnswersMustFitTheRequest) {
    queue->Push(platform::ui::BoxAnswer(IDOK));
    queue->Push(platform::ui::PromptAnswer("250"));
    queue->Push(platform::ui::CancelAnswer(RequestKind::Prompt));
    EXPECT_EQ(queue->Pending(), 3u);
    // A box answer does not answer a prompt: the prompt is cancelled and the answer used up.
    EXPECT_TRUE(Ask(Prompt("\n绘图比例尺 1:<500> ")).cancel);
    EXPECT_TRUE(Logged("-> cancel (the answer is for a box)")) << Transcript();
    auto answer = Ask(Prompt("\n绘图比例尺 1:<500> "));
    EXPECT_FALSE(answer.cancel);
    EXPECT_EQ(answer.text, "250");
    EXPECT_TRUE(Ask(Prompt("again")).cancel);
    EXPECT_TRUE(Ask(Prompt("nobody")).cancel);
    EXPECT_EQ(queue->Pending(), 0u);
    EXPECT_TRUE(Logged("prompt \"\\n绘图比例尺 1:<500> \"")) << Transcript();

    platform::ui::SetAnswerDriver(nullptr);
    Request box;
    box.kind = RequestKind::MessageBox;
    box.type = MB_YESNOCANCEL;
    EXPECT_TRUE(Ask(box).cancel);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_CANCELTRYCONTINUE), IDCANCEL);
}

TEST_F(AnswerSourceTest, ScriptsCoverEveryKind) {
    std::string error;
    // Scripts are UTF-8 files; the literals here are GBK.
    auto script = platform::ui::ParseAnswerScript(platform::text::GbkToUtf8(
        "open C:\\地图\\a.wt | C:\\地图\\b.wl\n"
        "save D:\\out\\x\n"
        "font 黑体 12 bold\n"
        "color 1 2 3\n"
        "prompt 第一宗地\n"
        "prompt\n"
        "cancel open\n"),
        &error);
    ASSERT_TRUE(script) << error;
    platform::ui::SetAnswerDriver(script);
    CFileDialog open(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT);
    std::string buffer(512, '\0');
    open.m_ofn.lpstrFile = buffer.data();
    open.m_ofn.nMaxFile = 512;
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.m_ofn.nFileOffset, 8);  // "C:\地图" and its terminator
    CFileDialog save(FALSE, "dxf");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), CString("D:\\out\\x.dxf"));  // the default extension is added
    EXPECT_EQ(save.GetFileTitle(), CString("x"));
    EXPECT_EQ(save.GetFileExt(), CString("dxf"));
    CFontDialog font;
    ASSERT_EQ(font.DoModal(), IDOK);
    EXPECT_EQ(font.GetFaceName(), CString("黑体"));
    EXPECT_EQ(font.GetSize(), 120);
    EXPECT_TRUE(font.IsBold());
    CColorDialog color;
    ASSERT_EQ(color.DoModal(), IDOK);
    EXPECT_EQ(color.GetColor(), RGB(1, 2, 3));
    EXPECT_EQ(Ask(Prompt("name")).text, "第一宗地");
    auto empty = Ask(Prompt("name"));
    EXPECT_FALSE(empty.cancel);  // Enter alone is an answer, not a cancel
    EXPECT_EQ(empty.text, "");
    CFileDialog cancelled(TRUE);
    EXPECT_EQ(cancelled.DoModal(), IDCANCEL);

    for (const char* bad : {"open\n", "font 宋体\n", "menu x\n", "cancel everything\n", "dialog 12 click 1\n", "whatever\n"}) {
        EXPECT_FALSE(platform::ui::ParseAnswerScript(bad, &error)) << bad;
        EXPECT_EQ(error.rfind("line 1: ", 0), 0u) << error;
    }
}

TEST_F(AnswerSourceTest, ConsoleAsksForEveryKindInWords) {
    std::istringstream in(platform::text::GbkToUtf8("C:\\a.wt | C:\\b.wt\nmaybe\n宋体 9\n"));
    std::ostringstream out;
    platform::ui::SetAnswerDriver(std::make_shared<platform::ui::ConsoleDriver>(in, out));
    CFileDialog open(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT, "点文件(*.wt)|*.wt||");
    EXPECT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "q", "c", MB_OKCANCEL), IDCANCEL);  // "maybe" is no button
    CFontDialog font;
    EXPECT_EQ(font.DoModal(), IDOK);
    EXPECT_EQ(font.GetFaceName(), CString("宋体"));
    std::string shown = out.str();
    EXPECT_NE(shown.find(platform::text::GbkToUtf8("  点文件(*.wt)")), std::string::npos) << shown;
    EXPECT_NE(shown.find("not understood: unknown button \"maybe\""), std::string::npos) << shown;
}

}  // namespace
