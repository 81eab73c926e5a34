// The routines behind the module's entry, called directly in this process where the loaded module
// cannot be watched: statuses its entry point drops, refused registrations, COM.
#include "cadastral/com_apartment.h"
#include "cadastral/command_table.h"
#include "cadastral/config_tables.h"
#include "cadastral/lisp_table.h"
#include "cadastral/module_resources.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/ui/resources.h"
#include "toolkit_fixture.h"

namespace {

class EntryRoutinesTest : public ToolkitTest {
protected:
    void TearDown() override {
        acedRegCmds->removeGroup("DEROPELGAR");
        acedRegCmds->removeGroup("DERO");
        while (cadastral::ComInitializations() > 0)
            cadastral::ComUninitialize();
        cadastral::LispFunctionTable()[0] = {"ssfromnodeswp", cadastral::SsFromNodesWp, false};
        cadastral::Tables() = cadastral::ConfigTables{};
        ToolkitTest::TearDown();
    }
};

TEST_F(EntryRoutinesTest, RegistrationGoesOnPastARefusedCommandAndUnloadReleasesAll) {
    WriteSupportFile("index.ini", "141200,普通房屋,0,JMD,1420,FW\n");
    acedRegCmds->addCommand(
        "DEROPELGAR", "TopoTest", "TopoTest", 0, +[] {});
    cadastral::RegisterCommands();
    EXPECT_EQ(acedRegCmds->groupCommands("DEROPELGAR").size(), 33u);
    EXPECT_EQ(acedRegCmds->lookupCmd("TopoTest")->commandFlags(), 0) << "the first registration stays";
    std::string featureClass;
    EXPECT_TRUE(cadastral::FindCodeRecord("141200", featureClass));
    EXPECT_EQ(featureClass, "FW");
    EXPECT_EQ(cadastral::ComInitializations(), 1);

    // A local name may come from a string resource of the module.
    platform::ui::AddString(cadastral::ModuleResources(), 7001, "本地名称");
    EXPECT_EQ(cadastral::AddCommand(
                  "DEROPELGAR", "GLOBAL_A", "ignored", 3, +[] {}, 7001),
              Acad::eOk);
    EXPECT_STREQ(acedRegCmds->lookupGlobalCmd("GLOBAL_A")->commandLocalName(), "本地名称");

    // Unloading removes the old group "DERO" too, and ends the use of COM.
    acedRegCmds->addCommand(
        "DERO", "DERO_OLD", "DERO_OLD", 0, +[] {});
    cadastral::RemoveCommandGroups();
    EXPECT_TRUE(acedRegCmds->groupCommands("DEROPELGAR").empty());
    EXPECT_TRUE(acedRegCmds->groupCommands("DERO").empty());
    EXPECT_EQ(cadastral::ComInitializations(), 0);
}

int g_dispatched = 0;
int g_routineCalls = 0;
int g_routineAnswer = RTNORM;

int CountingRoutine() {
    ++g_routineCalls;
    acedRetInt(7);
    return g_routineAnswer;
}

// What the host calls for the test's function codes: the module's dispatcher, its answer kept.
int Dispatch() {
    g_dispatched = cadastral::InvokeLispFunction();
    return RSRSLT;
}

TEST_F(EntryRoutinesTest, TheDispatcherAnswersByTheRoutineAndRefusesUnknownCodes) {
    acDocManager->appContextNewDocument(nullptr);
    cadastral::LispFunctionTable()[0].routine = CountingRoutine;
    ASSERT_EQ(acedDefun("ssfromnodeswp", 1), RTNORM);
    ASSERT_EQ(acedRegFunc(Dispatch, 1), RTNORM);
    ASSERT_EQ(acedDefun("pelgar_second", 2), RTNORM);
    ASSERT_EQ(acedRegFunc(Dispatch, 2), RTNORM);
    auto invoke = [](const char* name) {
        resbuf* call = acutBuildList(RTSTR, name, RTNONE);
        resbuf* result = nullptr;
        EXPECT_EQ(acedInvoke(call, &result), RTNORM);
        short type = result != nullptr ? result->restype : 0;
        acutRelRb(call);
        acutRelRb(result);
        return type;
    };
    EXPECT_EQ(invoke("ssfromnodeswp"), RTSHORT) << "the routine's own result follows the initial void one";
    EXPECT_EQ(g_dispatched, RSRSLT);
    g_routineAnswer = RTERROR;
    invoke("ssfromnodeswp");
    EXPECT_EQ(g_dispatched, RSERR) << "anything but 5100 from the routine gives 3";
    g_routineAnswer = RTNORM;
    g_routineCalls = 0;
    invoke("pelgar_second");
    EXPECT_EQ(g_dispatched, RTERROR) << "code 2 names no entry: -5001";
    EXPECT_EQ(g_routineCalls, 0);

    // A definition the host refuses ends the definitions with -5001.
    cadastral::LispFunctionTable()[0].name = "";
    EXPECT_EQ(cadastral::DefineLispFunctions(), RTERROR);
}

}  // namespace
