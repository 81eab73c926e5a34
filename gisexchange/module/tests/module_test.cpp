// The real Geoport.so loaded into the host as the host loads it: load, unload and reload, the
// commands not built yet, messages that do nothing; and the cadhost program finding the module.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/cad/command_processor.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"
#include "testing/cadhost_run.h"
#include "testing/host_machine.h"

namespace {

const std::vector<std::string> kExpectedCommands = {"GEOPORT",     "MAPGISSAVE", "TESTG",
                                                    "MAPGISSAVET", "GEOPORTX",   "MAPGISSAVEX"};

std::vector<std::string> GroupCommands(const char* group) {
    std::vector<std::string> names;
    for (const AcEdCommand* c : acedRegCmds->groupCommands(group))
        names.push_back(c->commandGlobalName());
    return names;
}

int IndexBoxes() {
    int boxes = 0;
    for (const std::string& line : platform::ui::TranscriptLines())
        boxes += line.find("未找到配置文件Index.ini") != std::string::npos;
    return boxes;
}

// A fresh machine: a temporary root with a support folder on the search path, no drawing or
// module left from an earlier test.
class GeoportModuleTest : public dero::testing::HostMachineTest {
protected:
    GeoportModuleTest() : HostMachineTest("geoport") {}

    static bool Load() { return acrxDynamicLinker->loadModule(GEOPORT_MODULE, false); }
    static bool Unload() { return acrxDynamicLinker->unloadModule("Geoport", false); }
};

TEST_F(GeoportModuleTest, LoadsUnloadsAndReloads) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        platform::cad::ClearCommandLine();
        ASSERT_TRUE(Load()) << platform::cad::LastModuleError();
        EXPECT_EQ(platform::cad::LoadedModules(), std::vector<std::string>{"Geoport"});
        EXPECT_FALSE(acrxDynamicLinker->isApplicationLocked("Geoport")) << "the module unlocks itself";
        EXPECT_EQ(acedRegCmds->groupNames(), std::vector<std::string>{"VXK"});
        EXPECT_EQ(GroupCommands("VXK"), kExpectedCommands);
        for (const AcEdCommand* c : acedRegCmds->groupCommands("VXK")) {
            EXPECT_EQ(c->commandFlags(), ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET);
            EXPECT_STREQ(c->commandLocalName(), c->commandGlobalName());
        }
        EXPECT_TRUE(platform::cad::DefinedFunctions().empty()) << "the module defines no LISP function";
        EXPECT_EQ(CommandLine(), "");
        EXPECT_EQ(IndexBoxes(), 1) << "no code index: one box, and the commands stay";
        platform::ui::ClearTranscript();

        platform::cad::ClearCommandLine();
        ASSERT_TRUE(Unload()) << platform::cad::LastModuleError();
        EXPECT_EQ(IndexBoxes(), 0) << "unloading reads nothing";
        EXPECT_EQ(CommandLine().find("left"), std::string::npos) << "the module removes its own group";
        EXPECT_TRUE(GroupCommands("VXK").empty());
        EXPECT_TRUE(acedRegCmds->groupNames().empty());
        EXPECT_TRUE(platform::cad::LoadedModules().empty());
        EXPECT_EQ(platform::cad::RunCommandLine("GEOPORT"), RTERROR);
    }
}

TEST_F(GeoportModuleTest, OtherMessagesDoNothing) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    std::ofstream(SupportFolder() / "index.ini", std::ios::binary) << "111000,a,0,d,e,f\r\nEND\r\n";
    ASSERT_TRUE(Load());
    EXPECT_EQ(IndexBoxes(), 0) << "index.ini stands in for cvtIndex.ini";
    AcEdCommand* first = acedRegCmds->lookupGlobalCmd("GEOPORT");
    ASSERT_NE(first, nullptr);
    void* module = const_cast<void*>(first->owner());
    platform::cad::ClearCommandLine();
    platform::ui::ClearTranscript();
    for (int msg : {0, 3, 4, 5, 6, 7, 8, 9, 12})
        EXPECT_EQ(platform::cad::SendModuleMessage(module, static_cast<AcRx::AppMsgCode>(msg)), AcRx::kRetOK)
            << msg;
    EXPECT_EQ(GroupCommands("VXK"), kExpectedCommands);
    EXPECT_TRUE(platform::cad::DefinedFunctions().empty());
    EXPECT_EQ(CommandLine(), "");
    EXPECT_TRUE(platform::ui::TranscriptLines().empty());
}

// The cadhost program loads the module from the build tree by itself; a support folder without a
// code index gives one box, and the commands still run: GEOPORT's dialog, unanswered, is cancelled.
TEST(GeoportCadhostProgram, FindsAndRunsTheModule) {
    dero::testing::TempFolder folder("geoport_cadhost");
    const std::string& dir = folder.path();
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir + "/support");
    std::ofstream(dir + "/support/cvtColor.def", std::ios::binary) << "1,2,3,4\r\n";
    const dero::testing::CadhostRun run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, dir, "--support '" + dir + "/support' -t t.txt -c GEOPORT");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out.find("尚未实现"), std::string::npos) << run.out;
    const std::string transcript = platform::text::Utf8ToGbk(dero::testing::ReadFile(dir + "/t.txt"));
    EXPECT_NE(transcript.find("文件列表"), std::string::npos) << "the file list dialog was asked for: " << transcript;
    const std::string box = "未找到配置文件Index.ini";
    const std::size_t first = transcript.find(box);
    EXPECT_NE(first, std::string::npos) << transcript;
    EXPECT_EQ(transcript.find(box, first + 1), std::string::npos) << "one box: " << transcript;
}

}  // namespace
