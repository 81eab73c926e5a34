// The real DeroPelgar.so loaded into the host as the host loads it: load and
// unload, drawings and the LISP function, messages that do nothing, the settings read once at load
// and the minimum-gap dialog; and the cadhost program finding the module by itself.
#include "platform/cad/command_processor.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/ui/ui_driver.h"
#include "testing/cadhost_run.h"
#include "testing/stored_settings.h"
#include "testing/temp_folder.h"
#include "toolkit_fixture.h"

namespace {

using platform::cad::DefinedFunctions;

const std::vector<std::string> kExpectedCommands = {
    "ADDCODEQZ",        "PELGARDBF",      "CHECKSINGLEZD",     "CONVERTFWZJ_QZ",
    "DELELELASTSAMEPT", "PELGARZDZJ",     "RESETPRECISION",    "DELETEJZDPRE",
    "SS_EXPORT_SHP",    "FENSHUXIAN",     "CheckFWClosed",     "CheckFW_Intersect_ZD",
    "AddZJLX",          "TopoTest",       "PurgeData",         "FW_Intersect_FW",
    "TB_Intersect_TB",  "GetMaxJZDH",     "CombineTB",         "CombineZD",
    "CheckZDKongXi",    "CheckTBKongXi",  "CheckKongXi",       "CombinePoly",
    "Combinetbxzq",     "FindIllegalTBs", "SelEnts",           "setmindist",
    "drawzdlen",        "testqzj",        "CheckParcelVertex", "CheckJzxAndGd",
    "ArrangeGDDM"};

std::vector<std::string> GroupCommands(const char* group) {
    std::vector<std::string> names;
    for (const AcEdCommand* c : acedRegCmds->groupCommands(group))
        names.push_back(c->commandGlobalName());
    return names;
}

// Calls a LISP function with no arguments: the host's status and the value's type.
int Invoke(const char* name, short* valueType = nullptr) {
    resbuf* call = acutBuildList(RTSTR, name, RTNONE);
    resbuf* result = nullptr;
    int rc = acedInvoke(call, &result);
    acutRelRb(call);
    if (valueType != nullptr)
        *valueType = result != nullptr ? result->restype : 0;
    acutRelRb(result);
    return rc;
}

class ModuleTest : public ToolkitTest {
protected:
    static bool Load() { return acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false); }
    static bool Unload() { return acrxDynamicLinker->unloadModule("DeroPelgar", false); }
    // The module, as the host knows it: the owner of its commands.
    static void* Module() {
        AcEdCommand* c = acedRegCmds->lookupGlobalCmd("ADDCODEQZ");
        return c != nullptr ? const_cast<void*>(c->owner()) : nullptr;
    }
    static bool DefinedInEveryDrawing(const std::vector<std::string>& expected) {
        AcApDocument* current = curDoc();
        bool all = true;
        for (AcApDocument* doc : acDocManager->documents()) {
            acDocManager->activateDocument(doc);
            all = all && DefinedFunctions() == expected;
        }
        acDocManager->activateDocument(current);
        return all;
    }
};

TEST_F(ModuleTest, LoadsAndUnloadsTwiceLeavingNothingBehind) {
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        platform::cad::ClearCommandLine();
        ASSERT_TRUE(Load()) << platform::cad::LastModuleError();
        EXPECT_EQ(platform::cad::LoadedModules(), std::vector<std::string>{"DeroPelgar"});
        EXPECT_FALSE(acrxDynamicLinker->isApplicationLocked("DeroPelgar")) << "the module unlocks itself";
        EXPECT_EQ(GroupCommands("DEROPELGAR"), kExpectedCommands);
        for (const AcEdCommand* c : acedRegCmds->groupCommands("DEROPELGAR")) {
            EXPECT_EQ(c->commandFlags(), ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET);
            EXPECT_STREQ(c->commandLocalName(), c->commandGlobalName());
        }
        EXPECT_EQ(platform::cad::MainFrameCaption(), "Dero 地籍调查 - DeroPelgar");

        // Three drawings, each with the function; closing one leaves the others theirs.
        EXPECT_TRUE(DefinedInEveryDrawing({"ssfromnodeswp"}));
        ASSERT_EQ(acDocManager->closeDocument(acDocManager->documents()[1]), Acad::eOk);
        EXPECT_TRUE(DefinedInEveryDrawing({"ssfromnodeswp"}));
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        EXPECT_TRUE(DefinedInEveryDrawing({"ssfromnodeswp"})) << "a drawing opened later gets it too";
        EXPECT_EQ(acDocManager->documentCount(), 3);

        // A command runs on the drawing and reports.
        platform::cad::ClearCommandLine();
        EXPECT_EQ(platform::cad::RunCommandLine("PurgeData"), RTNORM);
        EXPECT_NE(CommandLine().find("\n共删除空编组 0 个"), std::string::npos) << CommandLine();

        platform::cad::ClearCommandLine();
        ASSERT_TRUE(Unload()) << platform::cad::LastModuleError();
        EXPECT_TRUE(GroupCommands("DEROPELGAR").empty());
        EXPECT_TRUE(acedRegCmds->groupNames().empty());
        EXPECT_EQ(CommandLine().find("left"), std::string::npos)
            << "the host had nothing to take back: " << CommandLine();
        EXPECT_TRUE(DefinedInEveryDrawing({}));
        EXPECT_TRUE(platform::cad::LoadedModules().empty());
        EXPECT_EQ(platform::cad::RunCommandLine("PurgeData"), RTERROR);
    }
}

TEST_F(ModuleTest, TheLispFunctionIsDispatchedAndOtherCodesCallNothing) {
    acDocManager->appContextNewDocument(nullptr);
    ASSERT_TRUE(Load());
    short type = 0;
    platform::cad::ClearCommandLine();
    EXPECT_EQ(Invoke("SSFROMNODESWP", &type), RTNORM);
    EXPECT_EQ(type, RTNIL);

    // A call with the function code 2 reaches the module, which calls no routine: no entry has
    // that code, so the call does nothing and its value stays void.
    void* module = Module();
    ASSERT_NE(module, nullptr);
    {
        platform::cad::CurrentModuleScope scope(module);
        ASSERT_EQ(acedDefun("pelgar_code2", 2), RTNORM);
    }
    platform::cad::ClearCommandLine();
    EXPECT_EQ(Invoke("pelgar_code2", &type), RTNORM);
    EXPECT_NE(type, RTNIL) << "no routine set a value";
    EXPECT_EQ(CommandLine(), "");
    ASSERT_TRUE(Unload());
    EXPECT_TRUE(DefinedFunctions().empty()) << "the host takes back the other definition";
}

TEST_F(ModuleTest, MessagesZeroAndSixAndAboveDoNothing) {
    acDocManager->appContextNewDocument(nullptr);
    ASSERT_TRUE(Load());
    void* module = Module();
    ASSERT_NE(module, nullptr);
    platform::cad::ClearCommandLine();
    platform::ui::ClearTranscript();
    for (int msg : {0, 6, 7, 8, 9, 12})
        EXPECT_EQ(platform::cad::SendModuleMessage(module, static_cast<AcRx::AppMsgCode>(msg)), AcRx::kRetOK)
            << msg;
    EXPECT_EQ(GroupCommands("DEROPELGAR"), kExpectedCommands);
    EXPECT_EQ(DefinedFunctions(), std::vector<std::string>{"ssfromnodeswp"});
    EXPECT_EQ(CommandLine(), "");
    EXPECT_TRUE(platform::ui::TranscriptLines().empty()) << Transcript();
}

TEST_F(ModuleTest, SettingsAreReadOnceAtLoadAndTheDialogStoresHundredths) {
    SetDword("min_dist", 29);
    acDocManager->appContextNewDocument(nullptr);
    ASSERT_TRUE(Load());
    SetDword("min_dist", 80);  // not seen before the next load
    answers->Push(platform::ui::DialogAnswer(201, [](platform::ui::UiDriver& d) {
        EXPECT_EQ(d.Text(203), "0.29");
        d.SetText(203, "1.2");
        d.Click(IDOK);
        d.SetText(203, "0.057");
        d.Click(IDOK);
    }));
    answers->Push(platform::ui::BoxAnswer(IDOK));
    EXPECT_EQ(platform::cad::RunCommandLine("SETMINDIST"), RTNORM);
    EXPECT_TRUE(Logged("请输入一个介于 0 和 1 之间的数。")) << "1.2 is refused: " << Transcript();
    std::int32_t stored = 0;
    ASSERT_TRUE(GetDword("min_dist", stored));
    EXPECT_EQ(stored, 5);

    // The running module keeps 0.057; a new load reads 0.05.
    answers->Push(platform::ui::DialogAnswer(201, [](platform::ui::UiDriver& d) {
        EXPECT_EQ(d.Text(203), "0.057");
        d.Click(IDCANCEL);
    }));
    platform::cad::RunCommandLine("setmindist");
    ASSERT_TRUE(Unload());
    ASSERT_TRUE(Load());
    answers->Push(platform::ui::DialogAnswer(201, [](platform::ui::UiDriver& d) {
        EXPECT_EQ(d.Text(203), "0.05");
        d.Click(IDCANCEL);
    }));
    platform::cad::RunCommandLine("setmindist");
    EXPECT_EQ(answers->Pending(), 0u);
}

// The cadhost program loads the module from the build tree by itself and runs its commands. A
// host script cannot answer a dialog: the minimum-gap dialog is cancelled and stores nothing.
TEST(CadhostProgram, FindsAndRunsTheModule) {
    dero::testing::TempFolder folder("deropelgar_cadhost");
    const std::string& dir = folder.path();
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir + "/root");
    ASSERT_TRUE(dero::testing::StoreSetting(dir + "/root", "min_dist", 29));

    const dero::testing::CadhostRun run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, dir, "-c PurgeData -c setmindist --support '" DERO_SOURCE_DIR "/samples/support'");
    const std::string& out = run.out;
    EXPECT_EQ(run.status, 0) << out;
    EXPECT_NE(out.find("共删除空编组 0 个"), std::string::npos) << out;
    EXPECT_NE(out.find("最小空隙设置"), std::string::npos) << out;
    EXPECT_NE(out.find("0.29"), std::string::npos) << "the dialog shows the stored value: " << out;
    EXPECT_EQ(dero::testing::StoredSetting(dir + "/root", "min_dist"), 29) << "the cancelled dialog stores nothing";
}

}  // namespace
