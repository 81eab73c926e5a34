// CheckFWClosed end to end: a drawing from the generator opened in the real cadhost program with
// DeroPelgar and Tallyview; the browser's bar must list one numbered finding per house the generator
// left open, and the summary must give their number.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "generated_town.h"
#include "testing/cadhost_run.h"
#include "testing/temp_folder.h"

namespace {

class HouseClosureCheck : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }

    // Runs cadhost on the drawing ("" for a new one) with CheckFWClosed; the command line in GBK.
    std::string RunCheck(const std::string& drawing, const std::string& modules,
                         const std::string& support = DERO_SOURCE_DIR "/samples/support") {
        const dero::testing::CadhostRun run = dero::testing::RunCadhost(
            CADHOST_PROGRAM, dir_, drawing + " " + modules + " --support '" + support + "' -c CheckFWClosed");
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    dero::testing::TempFolder folder_{"house_closure_check"};
    const std::string& dir_ = folder_.path();
};

TEST_F(HouseClosureCheck, ReportsExactlyTheOpenHousesOfAGeneratedTown) {
    // Open polylines on the house layer that are no houses must not be counted.
    const std::set<std::string> expected = MakeTownWithOpenHouses(
        dir_, 7, 120, "--traps --open-houses 0.2 --overlapping-houses 0.05 --doubled-vertices 0.05");
    ASSERT_GE(expected.size(), 5u);

    // The browser's bar shows one numbered finding per open house.
    const std::string out = RunCheck("'" + dir_ + "/town.dxf'", "");
    int number = 0;
    const std::regex finding("(\\d+) 该房屋没有闭合\r?(\n|\")");
    for (std::sregex_iterator it(out.begin(), out.end(), finding), end; it != end; ++it)
        EXPECT_EQ(std::stoi((*it)[1]), ++number);
    EXPECT_EQ(number, static_cast<int>(expected.size())) << out;
    EXPECT_NE(out.find("共检查出 " + std::to_string(expected.size()) + " 个房屋没有闭合"), std::string::npos) << out;

    // Without the browser the findings go nowhere, but the summary still tells their number.
    const std::string alone =
        RunCheck("'" + dir_ + "/town.dxf'", "--no-default-modules --load '" DEROPELGAR_MODULE "'");
    EXPECT_EQ(alone.find("该房屋没有闭合"), std::string::npos) << alone;
    EXPECT_NE(alone.find("共检查出 " + std::to_string(expected.size()) + " 个房屋没有闭合"), std::string::npos)
        << alone;

    // Without its code table the check cannot tell houses from the rest, and says so rather than
    // giving a count. (The findings it leaves alone are checked in process, with the browser.)
    std::filesystem::create_directories(dir_ + "/no_tables");
    const std::string blind = RunCheck("'" + dir_ + "/town.dxf'",
                                       "--no-default-modules --load '" DEROPELGAR_MODULE "'", dir_ + "/no_tables");
    EXPECT_NE(blind.find("\n编码表为空，无法区分地物类别，未做检查"), std::string::npos) << blind;
    EXPECT_EQ(blind.find("共检查出"), std::string::npos) << blind;
}

TEST_F(HouseClosureCheck, ANewDrawingHasNoHouseAndLeavesTheBrowserAlone) {
    const std::string out = RunCheck("", "");
    EXPECT_NE(out.find("\n 当前图上没有房屋"), std::string::npos) << out;
    EXPECT_EQ(out.find("房屋闭合检查"), std::string::npos) << out;
    EXPECT_EQ(out.find("共检查出"), std::string::npos) << out;
}

}  // namespace
