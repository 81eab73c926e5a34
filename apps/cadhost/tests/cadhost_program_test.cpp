// End to end: the real cadhost program on a temporary root.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "options.h"
#include "platform/text/encoding.h"
#include "testing/cadhost_run.h"
#include "testing/temp_folder.h"

namespace {

using dero::testing::CadhostRun;
using dero::testing::ReadFile;

class CadhostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(folder.path().empty()); }

    void Write(const std::string& name, const std::string& text) { dero::testing::WriteFile(folder / name, text); }

    // Runs cadhost in the test's folder with the test plug-ins and no others.
    CadhostRun Cadhost(const std::string& args, bool plugins = true)
    {
        return dero::testing::RunCadhost(
            CADHOST_PROGRAM, dir,
            args + (plugins ? " --no-default-modules --load '" TEST_PLUGIN_A "' --load '" TEST_PLUGIN_B "'" : ""));
    }

    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    dero::testing::TempFolder folder{std::string("cadhost_e2e_") +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name()};
    const std::string& dir = folder.path();
};

TEST_F(CadhostTest, ScriptOnANewDrawingWithAnswersCancelsAndAnUnansweredPrompt)
{
    Write("job.scr", "RTA_HELLO\nRTA_ASK\n250\nrta_ask\n^C\nRTB_CALL\nRTA_NEST\nRTA_ASK\n");
    CadhostRun run = Cadhost("-s job.scr -t transcript.txt");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(Has(run.out, "命令: RTA_HELLO\nhello from A\n命令: RTA_ASK\nScale <500>: 250\nscale 250"));
    EXPECT_TRUE(Has(run.out, "命令: rta_ask\nScale <500>: *取消*\nscale cancelled"));
    EXPECT_TRUE(Has(run.out, "rt_sum gave 42"));
    EXPECT_TRUE(Has(run.out, "命令: RTA_ASK\nScale <500>: 250\nscale 250\nnested ask: 5100"));
    EXPECT_TRUE(Has(run.out, "未知命令\"NO_SUCH_COMMAND\"。按 F1 查看帮助。\nnested unknown: -5001"));

    std::string transcript = platform::text::Utf8ToGbk(ReadFile(dir + "/transcript.txt"));
    EXPECT_TRUE(Has(transcript, "command \"RTA_ASK\"\nprompt \"\\nScale <500>: \"\n  -> \"250\"\n"));
    EXPECT_TRUE(Has(transcript, "prompt \"\\nScale <500>: \"\n  -> cancel\n"));
    EXPECT_TRUE(Has(transcript, "  -> \"250\" (command argument)\ncommand \"REGEN\"\nregen\n"));
    // The last prompt finds no line: cancelled and logged, and the run still ends.
    EXPECT_TRUE(Has(transcript, "prompt \"\\nScale <500>: \"\n  -> cancel (no answer)\n"));
    // Modules load into the open drawing, which then becomes active for their reactors.
    EXPECT_TRUE(Has(transcript, "document \"Drawing1.dwg\" opened\nA: message 1\nA: message 3\nB: message 1\n"
                                "B: message 3\nA reactor: activated Drawing1.dwg\ncommand \"RTA_HELLO\""));
    // At the end the drawing closes for every module, then the modules unload.
    EXPECT_TRUE(Has(transcript, "A: message 4\nB: message 4\ndocument \"Drawing1.dwg\" closed\nB: message 2\nA: message 2\n"));
}

TEST_F(CadhostTest, FailuresEndWithAClearMessageAndANonZeroStatus)
{
    CadhostRun missing = Cadhost("nothere.dwg -c RTA_HELLO");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "cadhost: drawing not found: nothere.dwg\n");
    EXPECT_FALSE(Has(missing.out, "hello"));

    Write("bad.dxf", "this is no drawing\n");
    CadhostRun malformed = Cadhost("bad.dxf");
    EXPECT_EQ(malformed.status, 1);
    EXPECT_TRUE(Has(malformed.err, "cadhost: cannot open bad.dxf: ")) << malformed.err;

    Write("unknown.scr", "RTA_HELLO\nFROBNICATE\nRTA_HELLO\n");
    CadhostRun unknown = Cadhost("-s unknown.scr");
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(Has(unknown.out, "未知命令\"FROBNICATE\"。按 F1 查看帮助。"));
    EXPECT_EQ(unknown.err, "cadhost: unknown.scr: script line 2: \"FROBNICATE\" failed\n");
    EXPECT_EQ(unknown.out.find("hello from A"), unknown.out.rfind("hello from A")) << "nothing runs after it";

    CadhostRun unknownCommand = Cadhost("-c NOPE");
    EXPECT_EQ(unknownCommand.status, 1);
    EXPECT_EQ(unknownCommand.err, "cadhost: command failed: NOPE\n");

    CadhostRun noScript = Cadhost("-s none.scr");
    EXPECT_EQ(noScript.status, 1);
    EXPECT_EQ(noScript.err, "cadhost: script not found: none.scr\n");

    CadhostRun badModule = Cadhost("--load nowhere.so", false);
    EXPECT_EQ(badModule.status, 1);
    EXPECT_EQ(badModule.err, "cadhost: Module nowhere.so not found.\n");

    CadhostRun unsaved = Cadhost("-c RTA_HELLO -o /proc/no/such/folder/out.dxf");
    EXPECT_EQ(unsaved.status, 1);
    EXPECT_TRUE(Has(unsaved.err, "cadhost: cannot save /proc/no/such/folder/out.dxf: ")) << unsaved.err;

    CadhostRun usage = Cadhost("-s", false);
    EXPECT_EQ(usage.status, 2);
    EXPECT_TRUE(Has(usage.err, "-s needs a value\nusage: cadhost"));
}

TEST_F(CadhostTest, DockBarsAreShownWithTheirTextsWhenTheyAppear)
{
    CadhostRun run = Cadhost("-c RTA_BAR -c RTA_BAR -c RTA_HIDEBAR -c RTA_BAR");
    EXPECT_EQ(run.status, 0) << run.err;
    std::string shown = "[bar] 测试窗\n  Afx:8 0 \"测试窗\"\n    Static 0 \"窗中文字\"";
    std::size_t first = run.out.find(shown);
    ASSERT_NE(first, std::string::npos) << run.out;
    std::size_t second = run.out.find(shown, first + 1);
    ASSERT_NE(second, std::string::npos) << "shown again after it was hidden";
    EXPECT_EQ(run.out.find(shown, second + 1), std::string::npos) << "not again while it stays visible";
    EXPECT_LT(run.out.find("RTA_HIDEBAR"), second);
}

TEST_F(CadhostTest, AlertsAndBoxesAreShownAndAScriptCannotAnswerABox)
{
    Write("box.scr", "RTA_BOX\n");
    CadhostRun run = Cadhost("-s box.scr");
    EXPECT_EQ(run.status, 0) << run.err;
    // A yes/no box has no cancel: closing it unanswered says No.
    EXPECT_TRUE(Has(run.out, "[alert] 注意: 100%\n\n[Dero] 保存修改吗? -> cancel (no answer)\nbox gave 7")) << run.out;
}

TEST_F(CadhostTest, AModuleEndsTheHostWithItsExitCode)
{
    CadhostRun run = Cadhost("-c RTA_HELLO -c rta_quit_local -c RTA_HELLO -o never.dxf");
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_TRUE(Has(run.out, "after exit: -5002"));
    EXPECT_EQ(run.out.find("hello from A"), run.out.rfind("hello from A"));
    struct stat info {};
    EXPECT_NE(stat((dir + "/never.dxf").c_str(), &info), 0) << "an ended host saves nothing";
}

TEST(CadhostOptions, CommandLineParsesInOrderAndRefusesWhatItCannotUse)
{
    cadhost::Options o;
    std::string error;
    ASSERT_TRUE(cadhost::ParseOptions({"a.dxf", "-c", "ZOOM E", "--support", "C:\\s", "-c", "REGEN", "--load", "m.so",
                                       "-o", "b.dxf", "-s", "x.scr"},
                                      o, error));
    EXPECT_EQ(o.drawing, "a.dxf");
    EXPECT_EQ(o.commands, (std::vector<std::string>{"ZOOM E", "REGEN"}));
    EXPECT_EQ(o.support, (std::vector<std::string>{"C:\\s"}));
    EXPECT_EQ(o.modules, (std::vector<std::string>{"m.so"}));
    EXPECT_EQ(o.output, "b.dxf");
    EXPECT_EQ(o.script, "x.scr");
    EXPECT_TRUE(o.defaultModules);
    cadhost::Options two;
    EXPECT_FALSE(cadhost::ParseOptions({"a.dxf", "b.dxf"}, two, error));
    EXPECT_EQ(error, "more than one drawing named: b.dxf");
    EXPECT_FALSE(cadhost::ParseOptions({"--frob"}, two, error));
    EXPECT_EQ(error, "unknown option --frob");
    EXPECT_FALSE(cadhost::ParseOptions({"-o", ""}, two, error));
}

}  // namespace
