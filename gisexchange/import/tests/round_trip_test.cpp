// A generated town exported by MAPGISSAVEX and read back by GEOPORTX, both as scripts of the cadhost
// program, and the sample town exported by category and read back the same way;
// round_trip_check.py compares the two drawings with ezdxf.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "gisexchange/category_export.h"
#include "gisexchange/config_tables.h"
#include "platform/cad/db_database.h"
#include "platform/text/encoding.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
#include "testing/host_machine.h"
#include "testing/temp_folder.h"

namespace {

const std::string kSource = DERO_SOURCE_DIR;
const std::string kCheck = "/usr/bin/python3 '" + kSource + "/gisexchange/import/tests/round_trip_check.py' ";

int Shell(const std::string& command) { return WEXITSTATUS(std::system(command.c_str())); }

TEST(GisRoundTrip, TownComesBackWithItsCodesParcelsSidesAndHeights)
{
    dero::testing::TempFolder folder("gis_round_trip");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    for (const char* sub : {"/root/d/in", "/root/d/back"})
        std::filesystem::create_directories(dir + sub);
    const std::string town = dir + "/root/d/in/town.dxf";
    ASSERT_EQ(Shell("'" MAKEDRAWING_PROGRAM "' --seed 5 --parcels 12 --parcel-groups --elevation-points --codes '" + kSource +
                    "/samples/support/index.ini' --out '" + town + "' > /dev/null"),
              0);
    // Boundary-line data of its own on each parcel vertex, so that a side read back onto the wrong
    // vertex shows.
    ASSERT_EQ(Shell(kCheck + "mark '" + town + "'"), 0);

    const std::string support = "--support '" + kSource + "/samples/support'";
    dero::testing::WriteFile(dir + "/export.scr", "SETVAR\nUSERS5\nD:\\in\\town.dwg\nSETVAR\nUSERS4\nD:\\out\\TOWN.mpj\nMAPGISSAVEX\n");
    dero::testing::CadhostRun run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir, support + " -s export.scr");
    ASSERT_EQ(run.status, 1) << run.out << run.err;
    ASSERT_TRUE(std::filesystem::exists(dir + "/root/d/out/TOWN.mpj")) << run.out;

    dero::testing::WriteFile(dir + "/import.scr", "SETVAR\nUSERS4\nD:\\out\\TOWN.mpj\nSETVAR\nUSERS5\nD:\\back\\TOWN.dxf\nGEOPORTX\n");
    run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir, support + " -s import.scr");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(run.out.find("GEOPORTX:"), std::string::npos) << "nothing to complain about: " << run.out;
    const std::string back = dir + "/root/d/back/TOWN.dxf";
    ASSERT_TRUE(std::filesystem::exists(back)) << run.out;

    const std::string report = dir + "/check.txt";
    EXPECT_EQ(Shell(kCheck + "compare '" + town + "' '" + back + "' '" + kSource + "/samples/support/cvtIndex.ini' > '" +
                    report + "' 2>&1"),
              0)
        << dero::testing::ReadFile(report);
}

// The export by category answers its folder from the host's answer source, so it runs here in the
// host; what it wrote is read back by GEOPORTX in the cadhost program, as a caller's script does.
class CategoryRoundTrip : public dero::testing::HostMachineTest {
protected:
    CategoryRoundTrip() : HostMachineTest("category_round_trip") {}
};

TEST_F(CategoryRoundTrip, SampleTownComesBackOnItsLayersWithItsCodes)
{
    for (const auto& entry : std::filesystem::directory_iterator(kSource + "/samples/support"))
        if (entry.is_regular_file())
            std::filesystem::copy_file(entry.path(), SupportFolder() / entry.path().filename());
    ASSERT_TRUE(gisexchange::LoadTemplateData());
    std::filesystem::create_directories(Root() / "d" / "out");
    {
        AcDbDatabase town;
        acdbHostApplicationServices()->setWorkingDatabase(&town);
        ASSERT_EQ(town.readDwgFile((kSource + "/samples/town.dxf").c_str()), Acad::eOk);
        answers->Push(platform::ui::FolderAnswer("D:\\out"));
        answers->Push(platform::ui::PromptAnswer("TOWN"));
        gisexchange::ExportByCategory();
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    }

    dero::testing::TempFolder folder("category_read_back");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir + "/root");
    std::filesystem::copy(Root() / "d", dir + "/root/d", std::filesystem::copy_options::recursive);
    std::filesystem::create_directories(dir + "/root/d/back");
    dero::testing::WriteFile(dir + "/import.scr", platform::text::GbkToUtf8("SETVAR\nUSERS4\nD:\\out\\工程\\TOWN.mpj\n"
                                                                            "SETVAR\nUSERS5\nD:\\back\\TOWN.dxf\nGEOPORTX\n"));
    const dero::testing::CadhostRun run =
        dero::testing::RunCadhost(CADHOST_PROGRAM, dir, "--support '" + kSource + "/samples/support' -s import.scr");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    const std::string back = dir + "/root/d/back/TOWN.dxf";
    ASSERT_TRUE(std::filesystem::exists(back)) << run.out;
    const std::string report = dir + "/check.txt";
    EXPECT_EQ(Shell(kCheck + "category '" + kSource + "/samples/town.dxf' '" + back + "' > '" + report + "' 2>&1"), 0)
        << dero::testing::ReadFile(report);
}

}  // namespace
