#include "host_fixture.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/system_variables.h"
#include "platform/text/format.h"

namespace {

using platform::cad::CommandLineText;
using platform::cad::RunCommandLine;

class CommandTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        acDocManager->appContextNewDocument(nullptr);
        // A built-in that reads a real and a string the way every command reads its input.
        platform::cad::RegisterBuiltinCommand("TAKE2", [] {
            ads_real r = 0;
            char s[40];
            int a = acedGetReal("\nReal: ", &r);
            int b = acedGetString(1, "\nText: ", s, sizeof s);
            acutPrintf("\ntook %d %g %d %s", a, r, b, b == RTNORM ? s : "-");
            return RTNORM;
        });
    }
};

void Nothing() {}
void Other() {}

TEST_F(CommandTest, StackFilesCommandsInGroupsFoundWithoutCase)
{
    AcEdCommandStack stack;
    AcEdCommand* added = nullptr;
    ASSERT_EQ(stack.addCommand("G1", "FIRST", "erste", ACRX_CMD_MODAL, Nothing, nullptr, -1, nullptr, &added), Acad::eOk);
    ASSERT_NE(added, nullptr);
    EXPECT_STREQ(added->groupName(), "G1");
    EXPECT_EQ(stack.addCommand("g1", "first", "x", 0, Other), Acad::eDuplicateKey);
    EXPECT_EQ(stack.addCommand("G1", "OTHER", "ERSTE", 0, Other), Acad::eDuplicateKey) << "local names too";
    EXPECT_EQ(stack.addCommand("G1", "TWO WORDS", "x", 0, Other), Acad::eInvalidInput);
    EXPECT_EQ(stack.addCommand("G1", "", "x", 0, Other), Acad::eInvalidInput);
    EXPECT_EQ(stack.addCommand("G1", "NOFN", "x", 0, nullptr), Acad::eInvalidInput);
    EXPECT_EQ(stack.addCommand("G1", "NOLOCAL", nullptr, 0, Other), Acad::eOk);
    EXPECT_STREQ(stack.lookupLocalCmd("nolocal")->commandGlobalName(), "NOLOCAL");

    EXPECT_EQ(stack.lookupGlobalCmd("First"), added);
    EXPECT_EQ(stack.lookupLocalCmd("ERSTE"), added);
    EXPECT_EQ(stack.lookupGlobalCmd("erste"), nullptr);
    EXPECT_EQ(stack.lookupCmd("erste"), added);

    // A later group shadows an earlier one; removing it uncovers the earlier command.
    ASSERT_EQ(stack.addCommand("G2", "FIRST", "FIRST", 0, Other), Acad::eOk);
    EXPECT_EQ(stack.lookupCmd("first")->functionAddr(), &Other);
    EXPECT_EQ(stack.groupNames(), (std::vector<std::string>{"G2", "G1"}));
    EXPECT_EQ(stack.removeGroup("g2"), Acad::eOk);
    EXPECT_EQ(stack.lookupCmd("first"), added);
    EXPECT_EQ(stack.removeGroup("G2"), Acad::eKeyNotFound);
    EXPECT_EQ(stack.removeCmd("G1", "nosuch"), Acad::eKeyNotFound);
    EXPECT_EQ(stack.removeCmd("G1", "first"), Acad::eOk);
    EXPECT_EQ(stack.removeCmd("G1", "NOLOCAL"), Acad::eOk);
    EXPECT_TRUE(stack.groupNames().empty()) << "a group without commands goes";

    // The registry's entries are what modules look up and test by class.
    EXPECT_NE(AcEdCommandStack::cast(acrxSysRegistry()->at("acad_registered_commands")), nullptr);
    EXPECT_NE(AcRxDynamicLinker::cast(acrxSysRegistry()->at("DynamicLinker")), nullptr);
    EXPECT_EQ(AcEdCommandStack::cast(acrxSysRegistry()->at("DynamicLinker")), nullptr);
}

TEST_F(CommandTest, CommandsTakeInputFromArgumentsScriptsOrAnswers)
{
    // From acedCommand arguments, typed values or strings alike; left-over arguments start the
    // next command, and an Enter between commands is nothing.
    EXPECT_EQ(acedCommand(RTSTR, "take2", RTREAL, 2.5, RTSTR, "a b", RTSTR, "", RTSTR, "_.TAKE2", RTSHORT, 7,
                          RTSTR, "x", RTNONE),
              RTNORM);
    EXPECT_TRUE(Contains(CommandLineText(), "took 5100 2.5 5100 a b"));
    EXPECT_TRUE(Contains(CommandLineText(), "took 5100 7 5100 x"));

    // From the answer source when the arguments run out.
    auto queue = platform::ui::UseAnswerQueue();
    queue->Push(platform::ui::PromptAnswer("typed"));
    platform::cad::ClearCommandLine();
    EXPECT_EQ(acedCommand(RTSTR, "TAKE2", RTSTR, "1e3", RTNONE), RTNORM);
    EXPECT_TRUE(Contains(CommandLineText(), "took 5100 1000 5100 typed"));

    // Typed at the command line, blanks act as Enter.
    platform::cad::ClearCommandLine();
    EXPECT_EQ(RunCommandLine("TAKE2 4 word"), RTNORM);
    EXPECT_TRUE(Contains(CommandLineText(), "took 5100 4 5100 word"));

    // Unknown commands fail as on a host and run nothing after them.
    platform::cad::ClearCommandLine();
    EXPECT_EQ(acedCommand(RTSTR, "NOPE", RTSTR, "TAKE2", RTNONE), RTERROR);
    EXPECT_EQ(CommandLineText(), "\n未知命令\"NOPE\"。按 F1 查看帮助。");
    EXPECT_EQ(acedCommand(RTSHORT, 1, RTNONE), RTERROR) << "a command name must be a string";
    EXPECT_EQ(acedCommand(RTNONE), RTNORM);
    EXPECT_EQ(RunCommandLine("   "), RTNORM);

    // REGEN is recorded; CMDECHO 0 keeps nested commands off the command line.
    platform::ui::ClearTranscript();
    EXPECT_EQ(acedCommand(RTSTR, " Regen ", RTNONE), RTNORM);
    EXPECT_EQ(Transcript(), (std::vector<std::string>{"command \"REGEN\"", "regen"}));
    resbuf off{};
    off.restype = RTSHORT;
    off.resval.rint = 0;
    ASSERT_EQ(acedSetVar("cmdecho", &off), RTNORM);
    platform::cad::ClearCommandLine();
    acedCommand(RTSTR, "TAKE2", RTREAL, 1.0, RTSTR, "q", RTNONE);
    EXPECT_EQ(CommandLineText(), "\ntook 5100 1 5100 q");
}

TEST_F(CommandTest, PostedCommandsRunAfterTheNotificationReturns)
{
    struct Poster : AcApDocManagerReactor {
        void documentActivated(AcApDocument* doc) override
        {
            acDocManager->sendStringToExecute(doc, "TAKE2 9 posted\n");
            ranInside = platform::cad::CommandDepth() > 0 || Contains(platform::cad::CommandLineText(), "took");
        }
        bool ranInside = false;
    } poster;
    acDocManager->addReactor(&poster);
    AcApDocument* firstDoc = curDoc();
    acDocManager->appContextNewDocument(nullptr);
    acDocManager->activateDocument(firstDoc);
    acDocManager->removeReactor(&poster);
    EXPECT_FALSE(poster.ranInside);
    EXPECT_FALSE(Contains(CommandLineText(), "took")) << "nothing runs inside the notification";
    EXPECT_EQ(platform::cad::RunPostedCommands(), RTNORM);
    const std::string& text = CommandLineText();
    std::size_t first = text.find("took 5100 9 5100 posted");
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(text.find("took 5100 9 5100 posted", first + 1), std::string::npos) << "two activations, two runs";
}

}  // namespace
