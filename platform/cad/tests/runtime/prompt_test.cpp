#include <cstring>

#include "host_fixture.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/host_script.h"
#include "platform/cad/progress_meter.h"

namespace {

using platform::ui::CancelAnswer;
using platform::ui::PromptAnswer;
using platform::ui::RequestKind;

class PromptTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        acDocManager->appContextNewDocument(nullptr);
        queue = platform::ui::UseAnswerQueue();
    }
    std::shared_ptr<platform::ui::AnswerQueue> queue;
};

TEST_F(PromptTest, NumbersStringsAndPicksReadFromAnswers)
{
    ads_real r = -1;
    int i = -1;
    for (const char* a : {"12.5", "", "abc", " 7 "})
        queue->Push(PromptAnswer(a));
    queue->Push(CancelAnswer(RequestKind::Prompt));
    EXPECT_EQ(acedGetReal("\nR: ", &r), RTNORM);
    EXPECT_EQ(r, 12.5);
    EXPECT_EQ(acedGetReal("\nR: ", &r), RTNONE) << "Enter alone";
    EXPECT_EQ(acedGetReal("\nR: ", &r), RTNORM) << "a text that is no number asks again";
    EXPECT_EQ(r, 7);
    EXPECT_EQ(acedGetReal("\nR: ", &r), RTCAN);
    EXPECT_EQ(acedGetReal("\nR: ", &r), RTCAN) << "unanswered";
    EXPECT_EQ(TranscriptOf("  ->").back(), "  -> cancel (no answer)");
    EXPECT_TRUE(Contains(platform::cad::CommandLineText(), "\nR: abc\n需要数值。\nR:  7 "));

    for (const char* a : {"40000", "2.5", "-3"})
        queue->Push(PromptAnswer(a));
    EXPECT_EQ(acedGetInt("\nI: ", &i), RTNORM) << "out of range and fractions ask again";
    EXPECT_EQ(i, -3);

    // Strings: a blank ends the text unless cronly; a long text is cut on a character boundary.
    char s[6];
    queue->Push(PromptAnswer("ab cd"));
    queue->Push(PromptAnswer("ab cd"));
    queue->Push(PromptAnswer("宗地号码"));
    EXPECT_EQ(acedGetString(0, "\nS: ", s, sizeof s), RTNORM);
    EXPECT_STREQ(s, "ab");
    EXPECT_EQ(acedGetString(1, "\nS: ", s, sizeof s), RTNORM);
    EXPECT_STREQ(s, "ab cd");
    EXPECT_EQ(acedGetString(1, "\nS: ", s, sizeof s), RTINPUTTRUNCATED);
    EXPECT_STREQ(s, "宗地");

    // Picks name the entity by handle, with or without the picked point.
    AcDbLine* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    AcDbBlockTableRecord* space = nullptr;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    ASSERT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    ASSERT_EQ(space->appendAcDbEntity(id, line), Acad::eOk);
    line->close();
    space->close();
    char handle[20];
    id.handle().getIntoAsciiBuffer(handle);
    ads_name picked;
    ads_point at;
    queue->Push(PromptAnswer(std::string(handle) + " 0.5,0.25"));
    queue->Push(PromptAnswer("FFFFF"));
    queue->Push(PromptAnswer(""));
    ASSERT_EQ(acedEntSel("\nPick: ", picked, at), RTNORM);
    AcDbObjectId got;
    ASSERT_EQ(acdbGetObjectId(got, picked), Acad::eOk);
    EXPECT_EQ(got, id);
    EXPECT_EQ(at[0], 0.5);
    EXPECT_EQ(at[1], 0.25);
    EXPECT_EQ(acedEntSel("\nPick: ", picked, at), RTERROR) << "a miss";
    EXPECT_EQ(acedEntSel("\nPick: ", picked, at), RTERROR) << "Enter";
    EXPECT_EQ(acedEntSel("\nPick: ", picked, at), RTCAN);
}

TEST_F(PromptTest, PrintingAlertsAndProgressReachTheCommandLineAndTranscript)
{
    // A text with a percent sign is printed as it is when passed as an argument.
    acutPrintf("\n%s %d%%", "100%s", 5);
    EXPECT_EQ(platform::cad::CommandLineText(), "\n100%s 5%");
    acedAlert("请选择闭合多段线 50%");
    EXPECT_EQ(Transcript().back(), "alert \"请选择闭合多段线 50%\"");

    EXPECT_EQ(acedSetStatusBarProgressMeterPos(1), -1) << "no meter shown";
    EXPECT_EQ(acedSetStatusBarProgressMeter("正在切割...", 5, 1), -1);
    ASSERT_EQ(acedSetStatusBarProgressMeter("正在切割...", 0, 400), 0);
    EXPECT_EQ(acedSetStatusBarProgressMeterPos(500), 0);
    EXPECT_EQ(platform::cad::ProgressMeter().position, 400);
    acedRestoreStatusBar();
    EXPECT_FALSE(platform::cad::ProgressMeter().shown);
    auto lines = Transcript();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"progress \"正在切割...\" 0..400", "progress done at 400"}));
}

TEST_F(PromptTest, ScriptsAnswerPromptsCancelAndRunOutWithoutHanging)
{
    platform::cad::RegisterBuiltinCommand("SCALE2", [] {
        ads_real a = 0, b = 0;
        int ra = acedGetReal("\n比例 <500>: ", &a);
        int rb = acedGetReal("\n第二: ", &b);
        acutPrintf("\n%d %g %d %g", ra, a, rb, b);
        return RTNORM;
    });
    auto script = std::make_shared<platform::cad::HostScript>(
        platform::cad::HostScript::SplitUtf8("SCALE2\r\n250\n\nscale2\n^C\n1\nSCALE2\n3"));
    platform::ui::SetAnswerDriver(script);
    platform::ui::ClearTranscript();
    platform::cad::ScriptResult result = platform::cad::RunHostScript(*script);
    EXPECT_EQ(result.status, RTNORM);
    EXPECT_EQ(Transcript(), (std::vector<std::string>{
                                "command \"SCALE2\"", "prompt \"\\n比例 <500>: \"", "  -> \"250\"",
                                "prompt \"\\n第二: \"", "  -> \"\"",
                                "command \"SCALE2\"", "prompt \"\\n比例 <500>: \"", "  -> cancel",
                                "prompt \"\\n第二: \"", "  -> \"1\"",
                                "command \"SCALE2\"", "prompt \"\\n比例 <500>: \"", "  -> \"3\"",
                                "prompt \"\\n第二: \"", "  -> cancel (no answer)"}));
    EXPECT_TRUE(Contains(platform::cad::CommandLineText(), "\n5100 250 5000 0"));
    EXPECT_TRUE(Contains(platform::cad::CommandLineText(), "\n-5002 0 5100 1"));

    // An unknown command stops the script at its line.
    auto bad = std::make_shared<platform::cad::HostScript>(std::vector<std::string>{"SCALE2", "1", "2", "BOGUS", "SCALE2"});
    platform::ui::SetAnswerDriver(bad);
    result = platform::cad::RunHostScript(*bad);
    EXPECT_EQ(result.status, RTERROR);
    EXPECT_EQ(result.line, 4u);
    EXPECT_EQ(result.message, "script line 4: \"BOGUS\" failed");
}

TEST(HostScriptFolders, ADrivePathOrACancelAnswersTheFolderBrowserAndAnythingElseStaysACommand) {
    platform::cad::HostScript script({"D:\\out", "CMDECHO", "^C"});
    platform::ui::Request folder;
    folder.kind = platform::ui::RequestKind::Folder;
    std::optional<platform::ui::Answer> answer = script.Next(folder);
    ASSERT_TRUE(answer.has_value());
    EXPECT_FALSE(answer->cancel);
    EXPECT_EQ(answer->text, "D:\\out");
    EXPECT_FALSE(script.Next(folder).has_value());
    EXPECT_EQ(script.NextCommand(), std::optional<std::string>("CMDECHO"));
    answer = script.Next(folder);
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->cancel);
    platform::ui::Request box;
    EXPECT_FALSE(script.Next(box).has_value());
}

}  // namespace
