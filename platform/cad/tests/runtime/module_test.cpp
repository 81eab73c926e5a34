#include <cstdlib>
#include <fstream>

#include "host_fixture.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/lisp_functions.h"

namespace {

using platform::cad::DefinedFunctions;

class ModuleTest : public HostTest {};

bool HasRtSum() { return DefinedFunctions() == std::vector<std::string>{"rt_sum"}; }

std::string RunCaptured(const std::string& line)
{
    platform::cad::ClearCommandLine();
    platform::cad::RunCommandLine(line);
    return platform::cad::CommandLineText();
}

TEST_F(ModuleTest, ModuleLivesThroughDrawingsAndLeavesNothingAtUnload)
{
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        AcApDocument* third = curDoc();
        platform::ui::ClearTranscript();
        ASSERT_TRUE(acrxDynamicLinker->loadModule(TEST_PLUGIN_A, false)) << platform::cad::LastModuleError();
        ASSERT_TRUE(acrxDynamicLinker->loadModule(TEST_PLUGIN_B, false)) << platform::cad::LastModuleError();
        // Loading a module already loaded does nothing more.
        EXPECT_TRUE(acrxDynamicLinker->loadModule(TEST_PLUGIN_A, false));
        std::vector<std::string> expected = {"A: message 1", "A: message 3", "A: message 3", "A: message 3",
                                             "B: message 1", "B: message 3", "B: message 3", "B: message 3"};
        EXPECT_EQ(TranscriptOf(std::string("A: ")).size() + TranscriptOf("B: ").size(), expected.size());
        std::vector<std::string> heard;
        for (auto& line : Transcript())
            if (line.rfind("A: ", 0) == 0 || line.rfind("B: ", 0) == 0)
                heard.push_back(line);
        EXPECT_EQ(heard, expected);
        EXPECT_EQ(curDoc(), third) << "the current drawing stays current while modules load";
        EXPECT_EQ(platform::cad::LoadedModules(), (std::vector<std::string>{"TestPluginA", "TestPluginB"}));

        // The commands, in their group and in the order added.
        std::vector<std::string> names;
        for (const AcEdCommand* c : acedRegCmds->groupCommands("rttest_a"))
            names.push_back(c->commandGlobalName());
        EXPECT_EQ(names, (std::vector<std::string>{"RTA_HELLO", "RTA_ASK", "RTA_NEST", "RTA_LEAK", "RTA_BAR", "RTA_BOX", "RTA_HIDEBAR", "RTA_QUIT"}));
        EXPECT_EQ(acedRegCmds->lookupCmd("rta_hello")->commandFlags(), ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET);

        // The function exists in every drawing; another module reaches it through the host.
        for (AcApDocument* doc : acDocManager->documents()) {
            acDocManager->activateDocument(doc);
            EXPECT_TRUE(HasRtSum());
        }
        EXPECT_TRUE(Contains(RunCaptured("RTB_CALL"), "rt_sum gave 42"));

        // A drawing that closes loses the function; the others keep it; a new one gets it.
        platform::ui::ClearTranscript();
        AcApDocument* closing = acDocManager->documents()[1];
        ASSERT_EQ(acDocManager->closeDocument(closing), Acad::eOk);
        EXPECT_EQ(TranscriptOf("A: "), (std::vector<std::string>{"A: message 4"}));
        for (AcApDocument* doc : acDocManager->documents()) {
            acDocManager->activateDocument(doc);
            EXPECT_TRUE(HasRtSum());
        }
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        EXPECT_TRUE(HasRtSum());
        EXPECT_EQ(acDocManager->documentCount(), 3);

        // Unloading: every drawing hears 4, then the module 2; nothing of A is left.
        RunCaptured("RTA_LEAK");
        platform::ui::ClearTranscript();
        ASSERT_TRUE(acrxDynamicLinker->unloadModule("testplugina", false)) << platform::cad::LastModuleError();
        EXPECT_EQ(TranscriptOf("A: "),
                  (std::vector<std::string>{"A: message 4", "A: message 4", "A: message 4", "A: message 2"}));
        EXPECT_EQ(acedRegCmds->groupCommands("RTTEST_A").size(), 0u);
        EXPECT_EQ(acedRegCmds->lookupCmd("RTLEAK_CMD"), nullptr) << "the host takes back what a module left";
        EXPECT_TRUE(Contains(platform::cad::CommandLineText(), "TestPluginA left 1 registrations behind"));
        EXPECT_TRUE(DefinedFunctions().empty());
        EXPECT_TRUE(Contains(RunCaptured("RTB_CALL"), "rt_sum unavailable: -5001"));
        EXPECT_EQ(platform::cad::RunCommandLine("RTA_HELLO"), RTERROR);

        ASSERT_TRUE(acrxDynamicLinker->unloadModule(TEST_PLUGIN_B, false));
        EXPECT_TRUE(acedRegCmds->groupNames().empty());
        EXPECT_TRUE(platform::cad::LoadedModules().empty());
        // Back to three drawings for the next round.
        acDocManager->closeDocument(curDoc());
        acDocManager->appContextNewDocument(nullptr);
    }
}

TEST_F(ModuleTest, ModulesThatCannotLoadAreRefusedWithTheReason)
{
    acDocManager->appContextNewDocument(nullptr);
    EXPECT_FALSE(acrxDynamicLinker->loadModule("/no/such/module.so", false));
    EXPECT_TRUE(Contains(platform::cad::LastModuleError(), "not found"));

    std::string text = ::testing::TempDir() + "not_a_module.so";
    std::ofstream(text) << "plain text\n";
    EXPECT_FALSE(acrxDynamicLinker->loadModule(text.c_str(), true));
    EXPECT_TRUE(Contains(platform::cad::LastModuleError(), "cannot be loaded"));
    EXPECT_TRUE(Contains(platform::cad::CommandLineText(), "cannot be loaded")) << "printit reports it";

    // A shared object that is not a module of this host.
    const char* libc = "/lib/x86_64-linux-gnu/libc.so.6";
    if (std::ifstream(libc).good()) {
        EXPECT_FALSE(acrxDynamicLinker->loadModule(libc, false));
        EXPECT_TRUE(Contains(platform::cad::LastModuleError(), "lacks acrxEntryPoint"));
    }
    EXPECT_FALSE(acrxDynamicLinker->unloadModule("TestPluginA", false));
    EXPECT_TRUE(Contains(platform::cad::LastModuleError(), "is not loaded"));
    EXPECT_TRUE(platform::cad::LoadedModules().empty());
}

TEST_F(ModuleTest, InvokingAFunctionFollowsTheCurrentDrawingAndFailsQuietly)
{
    acDocManager->appContextNewDocument(nullptr);
    resbuf* call = acutBuildList(RTSTR, "rt_sum", RTSHORT, 1, RTSHORT, 2, RTNONE);
    resbuf* result = reinterpret_cast<resbuf*>(1);
    EXPECT_EQ(acedInvoke(call, &result), RTERROR) << "no module defines it yet";
    EXPECT_EQ(result, nullptr);

    ASSERT_TRUE(acrxDynamicLinker->loadModule(TEST_PLUGIN_A, false));
    ASSERT_EQ(acedInvoke(call, &result), RTNORM);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->restype, RTLONG);
    EXPECT_EQ(result->resval.rlong, 3);
    acutRelRb(result);

    // The routine refuses an argument it cannot add: the call fails and gives no value.
    resbuf* bad = acutBuildList(RTSTR, "RT_SUM", RTSTR, "x", RTNONE);
    EXPECT_EQ(acedInvoke(bad, &result), RTERROR);
    EXPECT_EQ(result, nullptr);
    acutRelRb(bad);

    // Outside an invocation there is no code, no argument and no place for a value.
    EXPECT_EQ(acedGetFunCode(), RTERROR);
    EXPECT_EQ(acedGetArgs(), nullptr);
    EXPECT_EQ(acedRetLong(1), RTERROR);
    EXPECT_EQ(acedInvoke(nullptr, &result), RTERROR);
    EXPECT_EQ(acedUndef("rt_sum", 2), RTERROR) << "the code must match";
    EXPECT_EQ(acedUndef("RT_SUM", 1), RTNORM);
    EXPECT_EQ(acedInvoke(call, &result), RTERROR);

    // A function with a routine of its own is called directly, with its arguments.
    static int seen = 0;
    ASSERT_EQ(acedDefun("direct", 7), RTNORM);
    ASSERT_EQ(acedRegFunc(+[] {
        seen = acedGetFunCode();
        acedRetStr(acedGetArgs()->resval.rstring);
        return RSRSLT;
    }, 7), RTNORM);
    resbuf* direct = acutBuildList(RTSTR, "DIRECT", RTSTR, "echo", RTNONE);
    ASSERT_EQ(acedInvoke(direct, &result), RTNORM);
    EXPECT_EQ(seen, 7);
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result->resval.rstring, "echo");
    acutRelRb(result);
    acutRelRb(direct);
    acutRelRb(call);
}

}  // namespace
