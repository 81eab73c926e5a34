// The real Geoport.so loaded into the host as the host loads it: load, unload and reload, the
// command table, messages that do nothing; and the cadhost program finding the module.
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
#include "platform/cad/system_variables.h"
#include "platform/gis/gis_document.h"
#include "platform/ui/ui_driver.h"
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

// What the module sent to the browser's receiving function, code and title.
std::vector<std::string> g_received;
int Receive() {
    std::string line;
    for (const resbuf* arg = acedGetArgs(); arg != nullptr; arg = arg->rbnext)
        if (arg->restype == RTSHORT)
            line += std::to_string(arg->resval.rint);
        else if (arg->restype == RTSTR && std::string(arg->resval.rstring) != "kelvo_receive")
            line += std::string("|") + arg->resval.rstring;
    g_received.push_back(line);
    return acedRetNil() == RTNORM ? RSRSLT : RSERR;
}

// GEOPORT of the loaded module, its dialog answered: the chosen project's point file is read and
// reported; a cancelled dialog reads nothing and sends nothing.
TEST_F(GeoportModuleTest, ReadsAProjectChosenInItsDialog) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    resbuf scale{};
    scale.restype = RTREAL;
    scale.resval.rreal = 1000;
    ASSERT_EQ(acedSetVar("userr1", &scale), RTNORM);
    WriteSupportFile("cvtMapGisAttr.def", "*JZD,1,界址点,,jzd*\r\n名称,0,20,0,MC\r\n");
    std::filesystem::create_directories(Root() / "c" / "data");
    platform::gis::GisDocument points = platform::gis::NewGisDocument(GIS_KIND_POINT);
    points.fields.push_back({"MC", GIS_FIELD_TEXT, 20, 0, 1});
    for (double x : {1.0, 2.0}) {
        platform::gis::GisPoint point;
        point.position = {x, x};
        point.params[0] = 2;  // a circle
        point.values = {"0", "甲"};
        points.points.push_back(point);
    }
    ASSERT_TRUE(platform::gis::WriteFileAtomically("C:\\data\\jzd_1.wt", platform::gis::SerializeGisDocument(points)));
    platform::gis::GisProject project;
    project.entries.push_back({"C:\\data\\JZD_1.WT", {}});
    std::snprintf(project.entries.back().record.title, sizeof project.entries.back().record.title, "jzd_1.wt");
    ASSERT_TRUE(platform::gis::WriteFileAtomically("C:\\data\\p.mpj", platform::gis::SerializeGisProject(project)));
    ASSERT_TRUE(Load());
    g_received.clear();
    ASSERT_EQ(acedDefun("kelvo_receive", 42), RTNORM);
    ASSERT_EQ(acedRegFunc(&Receive, 42), RTNORM);

    answers->Push(platform::ui::DialogAnswer(201, [](platform::ui::UiDriver& ui) { ui.Click(IDCANCEL); }));
    EXPECT_EQ(platform::cad::RunCommandLine("GEOPORT"), RTNORM);
    EXPECT_TRUE(g_received.empty());

    std::string matched;
    answers->Push(platform::ui::DialogAnswer(201, [&](platform::ui::UiDriver& ui) {
        ASSERT_TRUE(ui.Click(241));
        ASSERT_TRUE(ui.Click(222));
        char text[64] = {};
        LVITEMA item;
        item.iSubItem = 2;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(ui.Item(200), LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
        matched = text;
        ASSERT_TRUE(ui.ToggleListCheck(200, 0));
        ASSERT_TRUE(ui.Click(IDOK));
    }));
    answers->Push(platform::ui::OpenFileAnswer({"C:\\data\\p.mpj"}));
    EXPECT_EQ(platform::cad::RunCommandLine("GEOPORT"), RTNORM);
    EXPECT_EQ(matched, "界址点");
    ASSERT_EQ(g_received.size(), 5u);
    EXPECT_EQ(g_received[3], "-1|转换报告");
    EXPECT_EQ(g_received[4], "0|转换报告|文件(c:\\data\\jzd_1.wt) 共转换 2 个实体，其中正常识别 0 个，未能识别 2 个")
        << "no exchange rows: nothing is recognised";
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
    const std::string transcript = platform::text::Utf8ToGbk(dero::testing::ReadFile(dir + "/t.txt"));
    EXPECT_NE(transcript.find("文件列表"), std::string::npos) << "the file list dialog was asked for: " << transcript;
    const std::string box = "未找到配置文件Index.ini";
    const std::size_t first = transcript.find(box);
    EXPECT_NE(first, std::string::npos) << transcript;
    EXPECT_EQ(transcript.find(box, first + 1), std::string::npos) << "one box: " << transcript;
}

}  // namespace
