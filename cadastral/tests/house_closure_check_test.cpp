// CheckFWClosed end to end: a drawing from the generator opened in the real cadhost program with
// DeroPelgar and Tallyview; the browser's bar must list one numbered finding per house the generator
// left open, and the summary must give their number.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "platform/text/encoding.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class HouseClosureCheck : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of its own for every test: the cases run side by side.
        std::string pattern = ::testing::TempDir() + "house_closure_check_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ASSERT_EQ(std::system(("mkdir -p '" + dir_ + "/root'").c_str()), 0);
        source_ = std::getenv("DERO_SOURCE_DIR");
    }

    void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

    // Runs cadhost on the drawing ("" for a new one) with CheckFWClosed; the command line in GBK.
    std::string RunCheck(const std::string& drawing, const std::string& modules) {
        std::string command = "cd '" + dir_ + "' && DERO_ROOT='" + dir_ + "/root' '" CADHOST_PROGRAM "' " + drawing +
                              " " + modules + " --support '" + source_ + "/samples/support' -c CheckFWClosed" +
                              " > out.txt 2> err.txt < /dev/null";
        int raw = std::system(command.c_str());
        EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << ReadFile(dir_ + "/err.txt");
        return platform::text::Utf8ToGbk(ReadFile(dir_ + "/out.txt"));
    }

    std::string dir_;
    std::string source_;
};

TEST_F(HouseClosureCheck, ReportsExactlyTheOpenHousesOfAGeneratedTown) {
    std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 7 --parcels 120 --codes '" + source_ +
                       "/samples/support/index.ini' --out '" + dir_ + "/town.dxf' --report '" + dir_ +
                       "/faults.json' --open-houses 0.2 --overlapping-houses 0.05 --doubled-vertices 0.05";
    ASSERT_EQ(std::system(make.c_str()), 0);
    std::set<std::string> expected;
    const std::string report = ReadFile(dir_ + "/faults.json");
    const std::regex fault("\"kind\": \"open_house\", \"handle\": \"([0-9A-F]+)\"");
    for (std::sregex_iterator it(report.begin(), report.end(), fault), end; it != end; ++it)
        expected.insert((*it)[1]);
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
}

TEST_F(HouseClosureCheck, ANewDrawingHasNoHouseAndLeavesTheBrowserAlone) {
    const std::string out = RunCheck("", "");
    EXPECT_NE(out.find("\n 当前图上没有房屋"), std::string::npos) << out;
    EXPECT_EQ(out.find("房屋闭合检查"), std::string::npos) << out;
    EXPECT_EQ(out.find("共检查出"), std::string::npos) << out;
}

}  // namespace
