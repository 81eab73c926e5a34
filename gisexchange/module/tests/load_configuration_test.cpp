// What the module reads on the host's load message, run in process so that its tables can be seen:
// every load reads the files anew, and a missing code index stops nothing that came before it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drawingutil/module_entry.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/module_entry.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/rx_dictionary.h"
#include "testing/host_machine.h"

namespace {

using namespace gisexchange;

class GeoportLoadConfiguration : public dero::testing::HostMachineTest {
protected:
    GeoportLoadConfiguration() : HostMachineTest("geoport_load") {}

    static void Message(AcRx::AppMsgCode msg) {
        EXPECT_EQ(drawingutil::AnswerHostMessage(ModuleEntry(), msg, nullptr), AcRx::kRetOK) << msg;
    }
    static int Boxes() {
        int boxes = 0;
        for (const std::string& line : platform::ui::TranscriptLines())
            boxes += line.starts_with("box") && line.find("未找到配置文件Index.ini") != std::string::npos;
        return boxes;
    }
};

TEST_F(GeoportLoadConfiguration, EachLoadReadsTheFilesAnew) {
    WriteSupportFile("cvtMapGisAttr.def", "*ZD,3,宗地\r\nZDDM,200,19,0,MIRET\r\n");
    WriteSupportFile("cvtTextStyle.def", "txt,1\r\n");
    WriteSupportFile("cvtColor.def", "255,0,0,6\r\n");
    WriteSupportFile("cvtWork.DEF", "300000,JZD,3,宗地,0\r\n");

    Message(AcRx::kInitAppMsg);
    EXPECT_EQ(Boxes(), 1) << "neither cvtIndex.ini nor index.ini";
    EXPECT_TRUE(Config().index.empty());
    ASSERT_EQ(Config().templates.size(), 1u) << "the tables read before the index stay";
    EXPECT_EQ(LookupPrefixValue("txt"), 1);
    EXPECT_EQ(LookupNamedValue("255,0,0"), 6);
    EXPECT_EQ(Config().work.size(), 1u);
    EXPECT_EQ(acedRegCmds->groupCommands("VXK").size(), 6u);

    Message(AcRx::kUnloadAppMsg);
    EXPECT_TRUE(acedRegCmds->groupCommands("VXK").empty());
    EXPECT_EQ(LookupNamedValue("255,0,0"), 6) << "the tables stay in memory after unloading";

    platform::ui::ClearTranscript();
    WriteSupportFile("cvtColor.def", "255,0,0,9\r\n0,0,255,3\r\n");
    WriteSupportFile("index.ini", "300000,continuous,0,宗地,3000,ZD\r\nEND\r\n");
    Message(AcRx::kInitAppMsg);
    EXPECT_EQ(Boxes(), 0);
    EXPECT_EQ(LookupNamedValue("255,0,0"), 9) << "a reload sees the changed colours";
    EXPECT_EQ(Config().colorKeys.size(), 2u);
    EXPECT_EQ(Config().templates.size(), 1u) << "nothing is read twice into one table";
    EXPECT_EQ(Config().work.size(), 1u);
    ASSERT_EQ(Config().index.size(), 1u);
    EXPECT_EQ(Config().index[0].sixth, "ZD");
    EXPECT_EQ(acedRegCmds->groupCommands("VXK").size(), 6u);
    Message(AcRx::kUnloadAppMsg);
}

}  // namespace
