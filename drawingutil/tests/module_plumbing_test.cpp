// The plumbing every plug-in shares: its command table, its LISP function table and the answer to
// the host's messages, with nothing thrown reaching the host.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>

#include "drawingutil/command_table.h"
#include "drawingutil/lisp_table.h"
#include "drawingutil/module_entry.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/documents.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/ui/resources.h"

namespace {

class ModulePlumbingTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::cad::ClearCommandLine();
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    }
    void TearDown() override {
        acedRegCmds->removeGroup("PLUMBING");
        acDocManager->closeAll();
    }
    static bool Said(const char* text) {
        return platform::cad::CommandLineText().find(text) != std::string::npos;
    }
};

void Quiet() {}
void Throwing() {
    throw std::runtime_error("broken");
}

TEST_F(ModulePlumbingTest, CommandsAreAddedPastARefusedOneGuardedAndRemovedByGroup) {
    ASSERT_EQ(acedRegCmds->addCommand("PLUMBING", "P_TWO", "P_TWO", 0, Quiet), Acad::eOk);
    const std::array<drawingutil::CommandEntry, 3> table = {{
        {"PLUMBING", "P_ONE", ACRX_CMD_MODAL, Quiet},
        {"PLUMBING", "P_TWO", ACRX_CMD_TRANSPARENT, Quiet},
        {"PLUMBING", "P_THROWS", ACRX_CMD_MODAL, drawingutil::GuardedCommand<Throwing>},
    }};
    EXPECT_EQ(drawingutil::AddCommands(table), 2u);
    EXPECT_EQ(acedRegCmds->lookupCmd("P_TWO")->commandFlags(), 0) << "the first registration stays";
    ASSERT_NE(acedRegCmds->lookupCmd("P_THROWS"), nullptr);

    // A command that throws stops with its own line; the host never sees the exception.
    EXPECT_EQ(platform::cad::RunCommandLine("P_THROWS"), RTNORM);
    EXPECT_TRUE(Said("命令因意外错误中止")) << platform::cad::CommandLineText();
    EXPECT_FALSE(Said("unexpected error")) << platform::cad::CommandLineText();

    // A local name from a string resource is cut to 64 bytes without splitting a character; a
    // missing resource leaves the global name.
    HINSTANCE resources = platform::ui::CreateResourceModule("PlumbingTest");
    std::string longName = "A";
    for (int i = 0; i < 40; ++i)
        longName += "名";
    platform::ui::AddString(resources, 7001, longName);
    ASSERT_EQ(drawingutil::AddCommand("PLUMBING", "P_LOCAL", "ignored", 0, Quiet, resources, 7001), Acad::eOk);
    EXPECT_EQ(std::string(acedRegCmds->lookupGlobalCmd("P_LOCAL")->commandLocalName()), longName.substr(0, 63));
    ASSERT_EQ(drawingutil::AddCommand("PLUMBING", "P_NORES", "ignored", 0, Quiet, resources, 7002), Acad::eOk);
    EXPECT_STREQ(acedRegCmds->lookupGlobalCmd("P_NORES")->commandLocalName(), "P_NORES");

    const std::array<const char*, 2> groups = {"PLUMBING", nullptr};
    drawingutil::RemoveCommandGroups(groups);
    EXPECT_TRUE(acedRegCmds->groupCommands("PLUMBING").empty());
}

// The command stack is the registry's entry only while it is of the class that the host's class
// dictionary names; the class, once found there, is kept.
TEST_F(ModulePlumbingTest, CommandsGoOnlyToAnEntryOfTheCommandStackClass) {
    AcRxDictionary* classes = acrxClassDictionary;
    ASSERT_NE(classes, nullptr);
    const AcRxClass* stackClass = AcRxClass::cast(classes->at("acedcommandstack"));
    ASSERT_NE(stackClass, nullptr);
    EXPECT_STREQ(stackClass->name(), "AcEdCommandStack");
    // Every class of the host is there from the start, with its place among the others.
    const AcRxClass* polyline = AcRxClass::cast(classes->at("AcDbPolyline"));
    ASSERT_NE(polyline, nullptr);
    EXPECT_STREQ(polyline->dxfName(), "LWPOLYLINE");
    EXPECT_STREQ(polyline->myParent()->name(), "AcDbCurve");
    EXPECT_EQ(AcRxClass::cast(classes->at("AcDbCurve")), polyline->myParent());
    EXPECT_EQ(AcRxClass::cast(classes), nullptr) << "a dictionary is no class";

    // An entry of another class takes no command and removes nothing.
    AcRxDictionary* registry = acrxSysRegistry();
    ASSERT_EQ(drawingutil::AddCommand("PLUMBING", "P_ONE", "P_ONE", 0, Quiet), Acad::eOk);
    AcRxObject* stack = registry->atPut(ACRX_COMMAND_DOCK, new AcRxDictionary);
    EXPECT_EQ(drawingutil::AddCommand("PLUMBING", "P_TWO", "P_TWO", 0, Quiet), Acad::eNullObjectPointer);
    const std::array<const char*, 1> groups = {"PLUMBING"};
    drawingutil::RemoveCommandGroups(groups);
    delete registry->atPut(ACRX_COMMAND_DOCK, stack);
    EXPECT_NE(acedRegCmds->lookupCmd("P_ONE"), nullptr);
    EXPECT_EQ(acedRegCmds->lookupCmd("P_TWO"), nullptr);

    // Found once, the class is not looked up again.
    AcRxObject* taken = registry->remove(ACRX_CLASS_DICTIONARY);
    ASSERT_EQ(taken, classes);
    EXPECT_EQ(drawingutil::AddCommand("PLUMBING", "P_THREE", "P_THREE", 0, Quiet), Acad::eOk);
    registry->atPut(ACRX_CLASS_DICTIONARY, taken);
    EXPECT_NE(acedRegCmds->lookupCmd("P_THREE"), nullptr);
}

int g_dispatched = 0;
int g_routineCalls = 0;
int g_routineAnswer = RTNORM;

int CountingRoutine() {
    ++g_routineCalls;
    acedRetInt(7);
    return g_routineAnswer;
}

const std::array<drawingutil::LispFunctionEntry, 2> kTable = {{
    {"plumbing_a", CountingRoutine, false},
    {"plumbing_b", nullptr, false},
}};

// What the host calls for the test's function codes: the shared dispatch, its answer kept.
int Dispatch() {
    g_dispatched = drawingutil::InvokeLispFunction(kTable);
    return RSRSLT;
}

int Invoke(const char* name, short* valueType = nullptr) {
    resbuf* call = acutBuildList(RTSTR, name, RTNONE);
    resbuf* result = nullptr;
    const int rc = acedInvoke(call, &result);
    if (valueType != nullptr)
        *valueType = result != nullptr ? result->restype : 0;
    acutRelRb(call);
    acutRelRb(result);
    return rc;
}

TEST_F(ModulePlumbingTest, LispFunctionsAreDefinedDispatchedByCodeAndUndefined) {
    ASSERT_EQ(drawingutil::DefineLispFunctions(kTable), RTNORM);
    EXPECT_EQ(platform::cad::DefinedFunctions(), (std::vector<std::string>{"plumbing_a", "plumbing_b"}));
    ASSERT_EQ(acedDefun("plumbing_c", 3), RTNORM);
    for (short code = 1; code <= 3; ++code)
        ASSERT_EQ(acedRegFunc(Dispatch, code), RTNORM);

    short type = 0;
    EXPECT_EQ(Invoke("plumbing_a", &type), RTNORM);
    EXPECT_EQ(type, RTSHORT) << "the routine's own result follows the initial void one";
    EXPECT_EQ(g_dispatched, RSRSLT);
    g_routineAnswer = RTERROR;
    Invoke("plumbing_a");
    EXPECT_EQ(g_dispatched, RSERR) << "anything but RTNORM from the routine";
    g_routineAnswer = RTNORM;
    g_routineCalls = 0;
    Invoke("plumbing_b");
    EXPECT_EQ(g_dispatched, RTERROR) << "an entry without a routine";
    Invoke("plumbing_c");
    EXPECT_EQ(g_dispatched, RTERROR) << "a code past the table";
    EXPECT_EQ(g_routineCalls, 0);

    EXPECT_EQ(drawingutil::UndefineLispFunctions(kTable), RTNORM);
    EXPECT_EQ(platform::cad::DefinedFunctions(), std::vector<std::string>{"plumbing_c"});

    // A definition the host refuses ends the definitions.
    const std::array<drawingutil::LispFunctionEntry, 2> refused = {{{"", CountingRoutine, false},
                                                                    {"plumbing_late", CountingRoutine, false}}};
    EXPECT_EQ(drawingutil::DefineLispFunctions(refused), RTERROR);
    const std::array<drawingutil::LispFunctionEntry, 1> unnamed = {{{nullptr, CountingRoutine, false}}};
    EXPECT_EQ(drawingutil::DefineLispFunctions(unnamed), RTERROR);
    EXPECT_EQ(platform::cad::DefinedFunctions(), std::vector<std::string>{"plumbing_c"});
}

int g_loads = 0;
void CountLoad() {
    ++g_loads;
}
void ThrowOnUnload() {
    throw std::bad_alloc();
}
std::span<const drawingutil::LispFunctionEntry> Functions() {
    return kTable;
}

TEST_F(ModulePlumbingTest, HostMessagesAreAnsweredAndNothingThrownLeavesTheModule) {
    const drawingutil::ModuleEntry module = {CountLoad, ThrowOnUnload, Functions};
    EXPECT_EQ(drawingutil::AnswerHostMessage(module, AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
    EXPECT_EQ(g_loads, 1);
    EXPECT_EQ(drawingutil::AnswerHostMessage(module, AcRx::kLoadDwgMsg, nullptr), AcRx::kRetOK);
    EXPECT_EQ(platform::cad::DefinedFunctions(), (std::vector<std::string>{"plumbing_a", "plumbing_b"}));
    EXPECT_EQ(drawingutil::AnswerHostMessage(module, AcRx::kInvkSubrMsg, nullptr), AcRx::kRetOK)
        << "no call under way: no function code, nothing called";
    EXPECT_EQ(g_routineCalls, 0);
    EXPECT_EQ(drawingutil::AnswerHostMessage(module, AcRx::kUnloadDwgMsg, nullptr), AcRx::kRetOK);
    EXPECT_TRUE(platform::cad::DefinedFunctions().empty());
    EXPECT_EQ(drawingutil::AnswerHostMessage(module, static_cast<AcRx::AppMsgCode>(99), nullptr), AcRx::kRetOK);

    EXPECT_FALSE(Said("意外错误"));
    EXPECT_EQ(drawingutil::AnswerHostMessage(module, AcRx::kUnloadAppMsg, nullptr), AcRx::kRetError);
    EXPECT_TRUE(Said("意外错误")) << platform::cad::CommandLineText();

    // A module without handlers answers every message.
    const drawingutil::ModuleEntry empty = {nullptr, nullptr, nullptr};
    for (int msg = AcRx::kInitAppMsg; msg <= AcRx::kUnloadDwgMsg; ++msg)
        EXPECT_EQ(drawingutil::AnswerHostMessage(empty, static_cast<AcRx::AppMsgCode>(msg), nullptr), AcRx::kRetOK);
}

}  // namespace
