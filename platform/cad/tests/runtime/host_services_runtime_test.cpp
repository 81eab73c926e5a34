#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "host_fixture.h"
#include "platform/cad/file_search.h"
#include "platform/cad/host_clock.h"
#include "platform/cad/host_script.h"
#include "platform/cad/main_frame.h"
#include "platform/ui/window_api.h"
#include "platform/ui/window_system.h"
#include "platform/win/path_mapping.h"
#include "testing/temp_folder.h"

namespace {

class HostServicesTest : public HostTest {};

TEST_F(HostServicesTest, FileSearchLooksAlongTheSupportPathWithoutCase)
{
    dero::testing::TempFolder folder("cadhost_search");
    ASSERT_FALSE(folder.path().empty());
    std::string a = folder / "Support", b = folder / "blocks";
    mkdir(a.c_str(), 0755);
    mkdir(b.c_str(), 0755);
    std::ofstream(a + "/cvtIndex.ini") << "END\n";
    std::ofstream(b + "/Dero2008.dxf") << "0\nEOF\n";
    std::ofstream(b + "/cvtIndex.ini") << "second\n";
    platform::cad::SetSupportPath({a, b + "/"});

    char found[260];
    ASSERT_EQ(acedFindFile("CVTINDEX.INI", found), RTNORM);
    EXPECT_EQ(platform::win::MapToLinux(std::string_view(found)), a + "/cvtIndex.ini") << "first folder first";
    ASSERT_EQ(acedFindFile("dero2008.dwg", found), RTNORM) << "a drawing is found as DXF";
    EXPECT_EQ(platform::win::MapToLinux(std::string_view(found)), b + "/Dero2008.dxf");
    EXPECT_EQ(acedFindFile("index.ini", found), RTERROR);
    std::string full = b + "/DERO2008.DXF";
    EXPECT_EQ(acedFindFile(full.c_str(), found), RTNORM) << "a name with a folder is only checked";
    char tiny[8];
    EXPECT_EQ(acedFindFile("cvtIndex.ini", tiny, sizeof tiny), RTERROR) << "the path does not fit";
    EXPECT_EQ(acedFindFile("", found), RTERROR);
    platform::cad::SetSupportPath({});
}

TEST_F(HostServicesTest, HostExitEndsTheScriptAndLaterPrompts)
{
    acDocManager->appContextNewDocument(nullptr);
    ASSERT_TRUE(acrxDynamicLinker->loadModule(TEST_PLUGIN_A, false));
    auto script = std::make_shared<platform::cad::HostScript>(
        std::vector<std::string>{"RTA_HELLO", "rta_quit_local", "RTA_HELLO"});
    platform::ui::SetAnswerDriver(script);
    platform::cad::ClearCommandLine();
    EXPECT_EQ(platform::cad::RunHostScript(*script).status, RTNORM);
    EXPECT_TRUE(platform::cad::HostExitRequested());
    EXPECT_EQ(platform::cad::HostExitCode(), 3);
    const std::string& text = platform::cad::CommandLineText();
    EXPECT_TRUE(Contains(text, "after exit: -5002")) << "prompts cancel at once after the exit";
    EXPECT_EQ(text.find("hello from A"), text.rfind("hello from A")) << "no line runs after the exit";
    EXPECT_EQ(acedCommand(RTSTR, "RTA_HELLO", RTNONE), RTCAN);
    EXPECT_TRUE(TranscriptOf("prompt").empty());
}

TEST_F(HostServicesTest, VirtualClockWaitsWithoutSleepingAndFrameHoldsItsCaption)
{
    platform::cad::UseVirtualClock(true);
    std::uint64_t before = platform::ui::NowMilliseconds();
    Sleep(400000);
    EXPECT_EQ(platform::ui::NowMilliseconds() - before, 400000u);
    platform::cad::UseVirtualClock(false);

    ASSERT_NE(acedGetAcadFrame(), nullptr);
    EXPECT_EQ(acedGetAcadFrame()->GetSafeHwnd(), adsw_acadMainWnd());
    SetWindowTextA(adsw_acadMainWnd(), "地籍 2008");
    EXPECT_EQ(platform::cad::MainFrameCaption(), "地籍 2008");
}

}  // namespace
