// ADDCODEQZ run by the cadhost program on generated towns, with the main drawing application's
// stand-in recording its calls and without it; ezdxf checks the codes and that a second run
// changes nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/text/encoding.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

const std::string kSource = DERO_SOURCE_DIR;

class AnnotationCodingTown : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = folder_.path();
        ASSERT_FALSE(dir_.empty());
    }
    void Make(const std::string& name, const std::string& options) {
        const std::string make = std::string(MAKEDRAWING_PROGRAM) + " --out " + dir_ + "/" + name + " " +
                                 options + " --codes " + kSource + "/samples/support/index.ini";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
    }
    // Runs the command on the drawing and saves it; gives what the program printed.
    std::string Code(const std::string& in, const std::string& out, bool recorder) {
        const std::string command =
            "cd '" + dir_ + "' && mkdir -p root && env -u DERO_PLUGIN_DIR DERO_ROOT='" + dir_ +
            "/root' ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" '" CADHOST_PROGRAM "' " + in +
            " -c ADDCODEQZ -o " + out + (recorder ? " --load '" RECORDER_MODULE "'" : "") + " --support '" +
            kSource + "/samples/support' > out.txt 2>&1 < /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << dero::testing::ReadFile(dir_ + "/out.txt");
        return platform::text::Utf8ToGbk(dero::testing::ReadFile(dir_ + "/out.txt"));
    }
    void Check(const std::string& coded, const std::string& again) {
        const std::string check = "cd '" + dir_ + "' && /usr/bin/python3 " + kSource +
                                  "/cadastral/coding/tests/check_codes.py " + coded + " " + again +
                                  " > check.txt 2>&1";
        EXPECT_EQ(std::system(check.c_str()), 0) << dero::testing::ReadFile(dir_ + "/check.txt");
    }

    dero::testing::TempFolder folder_{"annotation_coding_town"};
    std::string dir_;
};

TEST_F(AnnotationCodingTown, EveryFeatureGetsItsCodesOnceAndTheSameWithoutTheRecorder) {
    Make("town.dxf",
         "--parcels 60 --seed 5 --lightweight-parcels 0.3 --boundary-houses 0.5 --line-points 0.3");
    std::string said = Code("town.dxf", "coded.dxf", true);
    EXPECT_NE(said.find("[recorder] EXPLODEGCD \"all\" \"\""), std::string::npos) << said;
    Code("coded.dxf", "again.dxf", true);
    Check("coded.dxf", "again.dxf");
    // Without the main application the same codes come out.
    Code("town.dxf", "plain.dxf", false);
    Check("plain.dxf", "coded.dxf");
}

TEST_F(AnnotationCodingTown, WithoutADistrictTheMainApplicationStillRunsFirst) {
    Make("town.dxf", "--parcels 12 --seed 8");
    const std::string strip =
        "cd '" + dir_ + "' && /usr/bin/python3 -c \"import ezdxf; d = ezdxf.readfile('town.dxf'); " +
        "[d.modelspace().delete_entity(e) for e in list(d.modelspace().query('*[layer==\\\"DJZQ\\\"]'))]; " +
        "d.saveas('bare.dxf')\"";
    ASSERT_EQ(std::system(strip.c_str()), 0) << strip;
    std::string said = Code("bare.dxf", "bare_after.dxf", true);
    EXPECT_NE(said.find("[recorder] EXPLODEGCD \"all\" \"\""), std::string::npos) << said;
    EXPECT_NE(said.find("当前图上没有社区，将不能添加注记编码"), std::string::npos) << said;
    EXPECT_EQ(said.find("ZJDM"), std::string::npos);
}

}  // namespace
