// End to end: the real cadhost program on a temporary root.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
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

    // The permission bits of a file, or -1.
    int Mode(const std::string& name) const
    {
        struct stat info {};
        return stat((folder / name).c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
    }

    // The names a save left beside its file that are not the file.
    std::vector<std::string> Leftovers() const
    {
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
            if (Has(entry.path().filename().string(), ".saving"))
                left.push_back(entry.path().string());
        return left;
    }

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

// The answer script setup takes answers boxes and dialogs, from --answers or DERO_ANSWERS; the
// input lines still answer prompts, and what the script leaves unanswered is cancelled as before.
TEST_F(CadhostTest, AnAnswerScriptAnswersBoxesAndLeavesPromptsToTheInput)
{
    Write("yes.txt", "# answers\nbox yes\n");
    CadhostRun run = Cadhost("--answers yes.txt -c RTA_BOX -c RTA_ASK -c 250 -c RTA_BOX");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "[Dero] 保存修改吗? -> Yes\nbox gave 6")) << run.out;
    EXPECT_TRUE(Has(run.out, "scale 250\n")) << run.out;
    EXPECT_TRUE(Has(run.out, "[Dero] 保存修改吗? -> cancel (no answer)\nbox gave 7")) << run.out;

    Write("no.txt", "box no\n");
    run = dero::testing::RunCadhost("/usr/bin/env", dir,
                                    "DERO_ANSWERS=no.txt '" CADHOST_PROGRAM "' -c RTA_BOX --no-default-modules --load '" TEST_PLUGIN_A
                                    "' --load '" TEST_PLUGIN_B "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "[Dero] 保存修改吗? -> No\nbox gave 7")) << run.out;

    Write("bad.txt", "box maybe\n");
    run = Cadhost("--answers bad.txt -c RTA_BOX");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "cadhost: bad.txt: ")) << run.err;
    EXPECT_FALSE(Has(run.out, "box gave")) << run.out;
    run = Cadhost("--answers missing.txt -c RTA_BOX");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "cadhost: cannot read the answers missing.txt")) << run.err;
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

TEST_F(CadhostTest, CommandLineItemsAreLinesOfOneScriptInTheOrderGiven)
{
    // "E" answers ZOOM's prompt instead of running as a command.
    CadhostRun zoom = Cadhost("-c ZOOM -c E");
    EXPECT_EQ(zoom.status, 0) << zoom.err;
    EXPECT_TRUE(Has(zoom.out, "<实时>: E\n")) << zoom.out;
    EXPECT_FALSE(Has(zoom.out, "未知命令"));

    Write("answer.scr", "250\nRTA_HELLO\n");
    CadhostRun mixed = Cadhost("-c RTA_ASK -s answer.scr -c rta_ask -c 7 -c ''");
    EXPECT_EQ(mixed.status, 0) << mixed.err;
    std::size_t first = mixed.out.find("Scale <500>: 250\nscale 250");
    std::size_t hello = mixed.out.find("hello from A");
    std::size_t second = mixed.out.find("命令: rta_ask\nScale <500>: 7\nscale 7");
    ASSERT_NE(first, std::string::npos) << mixed.out;
    ASSERT_NE(second, std::string::npos) << mixed.out;
    EXPECT_LT(first, hello);
    EXPECT_LT(hello, second);

    // A failing line is named by where it came from.
    Write("two.scr", "RTA_HELLO\nFROBNICATE\nRTA_HELLO\n");
    CadhostRun inScript = Cadhost("-c RTA_ASK -c 5 -s two.scr -c RTA_HELLO");
    EXPECT_EQ(inScript.status, 1);
    EXPECT_EQ(inScript.err, "cadhost: two.scr: script line 2: \"FROBNICATE\" failed\n");
    EXPECT_EQ(inScript.out.find("hello from A"), inScript.out.rfind("hello from A")) << "nothing runs after it";
    Write("hello.scr", "RTA_HELLO\n");
    CadhostRun afterScript = Cadhost("-s hello.scr -c NOPE");
    EXPECT_EQ(afterScript.status, 1);
    EXPECT_EQ(afterScript.err, "cadhost: command failed: NOPE\n");
}

TEST_F(CadhostTest, SavingRefusesAReadOnlyFileAndWritesThroughALinkKeepingTheMode)
{
    Write("ro.dxf", "old drawing\n");
    ASSERT_EQ(chmod((folder / "ro.dxf").c_str(), 0444), 0);
    CadhostRun readOnly = Cadhost("-c RTA_HELLO -o ro.dxf");
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_EQ(readOnly.err, "cadhost: cannot save ro.dxf: ro.dxf is read-only\n");
    EXPECT_EQ(ReadFile(folder / "ro.dxf"), "old drawing\n");
    EXPECT_EQ(Mode("ro.dxf"), 0444);

    // The link stays a link; the file it names gets the drawing and keeps its permissions.
    Write("sub/real.dxf", "old drawing\n");
    ASSERT_EQ(chmod((folder / "sub/real.dxf").c_str(), 0640), 0);
    ASSERT_EQ(symlink("sub/real.dxf", (folder / "link.dxf").c_str()), 0);
    CadhostRun linked = Cadhost("-c RTA_HELLO -o link.dxf");
    EXPECT_EQ(linked.status, 0) << linked.err;
    struct stat info {};
    ASSERT_EQ(lstat((folder / "link.dxf").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_TRUE(Has(ReadFile(folder / "sub/real.dxf"), "SECTION"));
    EXPECT_EQ(Mode("sub/real.dxf"), 0640);
    // A link to a read-only file is refused like the file.
    ASSERT_EQ(symlink("ro.dxf", (folder / "ro-link.dxf").c_str()), 0);
    EXPECT_EQ(Cadhost("-o ro-link.dxf").err, "cadhost: cannot save ro-link.dxf: ro-link.dxf is read-only\n");
    EXPECT_EQ(ReadFile(folder / "ro.dxf"), "old drawing\n");
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
}

TEST_F(CadhostTest, ATranscriptOntoTheDrawingOrNowhereIsRefusedBeforeAnythingRuns)
{
    ASSERT_EQ(Cadhost("-o d.dxf").status, 0);
    const std::string drawing = ReadFile(folder / "d.dxf");
    std::filesystem::create_directories(folder / "sub");
    ASSERT_EQ(symlink("d.dxf", (folder / "t-link").c_str()), 0);
    struct Case {
        std::string args;
        std::string err;
    };
    const Case cases[] = {
        {"d.dxf -t d.dxf", "the transcript d.dxf would be written into the drawing d.dxf"},
        {"d.dwg -t sub/../d.dxf", "the transcript sub/../d.dxf would be written into the drawing d.dwg"},
        {"d.dxf -t t-link", "the transcript t-link would be written into the drawing d.dxf"},
        {"-o new.dwg -t new.dxf", "the transcript new.dxf would be written into the drawing saved as new.dwg"},
        {"-t nodir/t.txt", "cannot write the transcript nodir/t.txt: No such file or directory"},
        {"-t sub", "cannot write the transcript sub: Is a directory"},
    };
    for (const Case& c : cases) {
        CadhostRun run = Cadhost(c.args + " -c RTA_HELLO");
        EXPECT_EQ(run.status, 1) << c.args;
        EXPECT_EQ(run.err, "cadhost: " + c.err + "\n");
        EXPECT_FALSE(Has(run.out, "hello")) << c.args;
    }
    EXPECT_EQ(ReadFile(folder / "d.dxf"), drawing);
    EXPECT_EQ(Mode("new.dxf"), -1);
}

TEST_F(CadhostTest, DrawingNamesAreLinuxPathsWhateverCharactersTheyHold)
{
    // UTF-8 names: "ü☺.dxf" holds a character GBK lacks; the others hold characters Windows refuses.
    const std::string smiling = "\xC3\xBC\xE2\x98\xBA.dxf", colon = "a:b?.dxf", bar = "x|y.dxf";
    CadhostRun made = Cadhost("-o '" + smiling + "'");
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_GE(Mode(smiling), 0);
    CadhostRun opened = Cadhost("'" + smiling + "' -c RTA_HELLO -o '" + colon + "' -t t.txt");
    EXPECT_EQ(opened.status, 0) << opened.err;
    EXPECT_TRUE(Has(opened.out, "hello from A"));
    EXPECT_GE(Mode(colon), 0);
    // Inside the host the drawing goes by its Windows form, the character GBK lacks as '?'.
    std::string transcript = platform::text::Utf8ToGbk(ReadFile(folder / "t.txt"));
    std::string windowsFolder = platform::text::Utf8ToGbk(dir);
    std::replace(windowsFolder.begin(), windowsFolder.end(), '/', '\\');
    EXPECT_TRUE(Has(transcript, "document \"" + windowsFolder + "\\ü?.dxf\" opened")) << transcript;
    EXPECT_TRUE(Has(transcript, "A reactor: activated ü?.dxf"));
    EXPECT_TRUE(Has(transcript, "document \"" + windowsFolder + "\\a:b?.dxf\" closed"));
    CadhostRun again = Cadhost("'" + colon + "' -o '" + bar + "'");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(Has(ReadFile(folder / bar), "\nEOF\n"));
}

TEST(CadhostOptions, CommandLineParsesInOrderAndRefusesWhatItCannotUse)
{
    cadhost::Options o;
    std::string error;
    ASSERT_TRUE(cadhost::ParseOptions({"a.dxf", "-c", "ZOOM E", "--support", "C:\\s", "-c", "REGEN", "--load", "m.so",
                                       "-o", "b.dxf", "-s", "x.scr", "--answers", "-"},
                                      o, error));
    EXPECT_EQ(o.drawing, "a.dxf");
    EXPECT_EQ(o.commands, (std::vector<std::string>{"ZOOM E", "REGEN"}));
    EXPECT_EQ(o.support, (std::vector<std::string>{"C:\\s"}));
    EXPECT_EQ(o.modules, (std::vector<std::string>{"m.so"}));
    EXPECT_EQ(o.output, "b.dxf");
    EXPECT_EQ(o.script, "x.scr");
    EXPECT_EQ(o.commandsBeforeScript, 2u);
    EXPECT_EQ(o.answers, "-");
    EXPECT_TRUE(o.defaultModules);
    cadhost::Options two;
    EXPECT_FALSE(cadhost::ParseOptions({"a.dxf", "b.dxf"}, two, error));
    EXPECT_EQ(error, "more than one drawing named: b.dxf");
    EXPECT_FALSE(cadhost::ParseOptions({"--frob"}, two, error));
    EXPECT_EQ(error, "unknown option --frob");
    EXPECT_FALSE(cadhost::ParseOptions({"-o", ""}, two, error));
    EXPECT_FALSE(cadhost::ParseOptions({"-s", "a.scr", "-s", "b.scr"}, two, error));
    EXPECT_EQ(error, "only one script can be run");
    cadhost::Options empty;
    ASSERT_TRUE(cadhost::ParseOptions({"-c", "ZOOM", "-c", ""}, empty, error));
    EXPECT_EQ(empty.commands, (std::vector<std::string>{"ZOOM", ""}));
    EXPECT_FALSE(cadhost::ParseOptions({"-c"}, empty, error));
}

}  // namespace
