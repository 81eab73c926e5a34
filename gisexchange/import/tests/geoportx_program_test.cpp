// GEOPORTX on a hand-made project with the shipped tables, the saved drawing read by ezdxf; and
// the module's command in the cadhost program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gisexchange/batch_import.h"
#include "import_fixture.h"
#include "platform/cad/host_exit.h"
#include "platform/text/encoding.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using namespace import_testing;

// The shipped configuration in the host, with a hand-made project; the paths set as a caller's
// script sets them.
class GeoportxRun : public ImportTest {
protected:
    GeoportxRun() : ImportTest("geoportx_run") {}
    void SetUp() override {
        ImportTest::SetUp();
        for (const auto& entry : std::filesystem::directory_iterator(DERO_SOURCE_DIR "/samples/support"))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), SupportFolder() / entry.path().filename(),
                                           std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(gisexchange::LoadTemplateData());
        ASSERT_EQ(gisexchange::LoadIndexTable(), gisexchange::IndexLoad::kLoaded);
        gisexchange::LoadExchangeTable();
        for (const char* sub : {"proj", "out"})
            std::filesystem::create_directories(Root() / "c" / sub);
    }
    void TearDown() override {
        platform::cad::ClearHostExit();
        ImportTest::TearDown();
    }
    static void Project(const std::vector<std::string>& entries) {
        platform::gis::GisProject project;
        for (const std::string& entry : entries)
            project.entries.push_back({entry, {}});
        ASSERT_TRUE(platform::gis::WriteFileAtomically("C:\\proj\\TOWN.mpj",
                                                       platform::gis::SerializeGisProject(project)));
    }
    std::vector<std::string> Census(const std::filesystem::path& drawing) const {
        const std::string out = (Root() / "census.txt").string();
        const std::string command = "/usr/bin/python3 " DERO_SOURCE_DIR
                                    "/gisexchange/import/tests/imported_drawing.py '" +
                                    drawing.string() + "' > '" + out + "' 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << dero::testing::ReadFile(out);
        std::vector<std::string> lines;
        std::istringstream in(dero::testing::ReadFile(out));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST_F(GeoportxRun, ReadsAProjectTidiesItSavesAndEnds) {
    // A parcel with its four boundary lines, an elevation point with its label, grouped by their
    // group codes across four files; a table file the read ignores.
    GisDocument lines = NewFile(GIS_KIND_LINE, {"YSDM", "JZXLB", "编组编码"});
    const std::vector<D_DOT> ring = {{0, 0}, {20, 0}, {20, 15}, {0, 15}};
    for (int i = 0; i < 4; ++i)
        AddLine(lines, {ring[i], ring[(i + 1) % 4]}, LineParams(), {"3030", std::to_string(i + 1), "5"});
    Write("C:\\proj\\jzx.wl", lines);
    GisDocument parcels = NewFile(GIS_KIND_AREA, {"YSDM", "ZDDM", "编组编码"});
    const LONG outline =
        AddLine(parcels, {{0, 0}, {20, 0}, {20, 15}, {0, 15}, {0, 0}}, LineParams(), {"", "", "0"});
    AddArea(parcels, {outline}, AreaParams(), {"3000", "3201020010010001234", "5"});
    Write("C:\\proj\\ZD.WP", parcels);
    GisDocument heights = NewFile(GIS_KIND_POINT, {"YSDM", "标示高程", "编组编码"});
    AddPoint(heights, 50, 50, "", PointKind(1), {"2021", "12.5", "9"});
    Write("C:\\proj\\gcd.wt", heights);
    GisDocument notes = NewFile(GIS_KIND_POINT, {"YSDM", "编组编码"});
    AddPoint(notes, 50.5, 50.5, "12.50", PointKind(0).PutFloat(2, 1.5f).PutFloat(6, 1.2f), {"3024", "9"});
    Write("C:\\proj\\zj.wt", notes);
    Project({"jzx.wl", "ZD.WP", "gcd.wt", "zj.wt", "qlr.wb"});
    SetText("users4", "C:\\proj\\TOWN.mpj");
    SetText("users5", "C:\\out\\TOWN.dxf");

    gisexchange::BatchImportCommand();
    EXPECT_EQ(platform::cad::HostExitCode(), 1);
    EXPECT_EQ(CommandLine().find("GEOPORTX:"), std::string::npos)
        << "nothing to complain about: " << CommandLine();

    const std::vector<std::string> seen = Census(Root() / "c" / "out" / "TOWN.dxf");
    const std::vector<std::string> expected = {
        "ENTITY INSERT - 0",      "BLOCK Dero2008 0 0 0", "ENTITY INSERT 202101 GCD",
        "BLOCK gc200 50 50 12.5", "ATTRIB HEIGHT 12.50",  "ENTITY POLYLINE 300000 JZD",
        "PARCEL closed 320102",   "VERTEX 0 0 1",         "VERTEX 20 0 2",
        "VERTEX 20 15 3",         "VERTEX 0 15 4",
    };
    EXPECT_EQ(seen, expected) << "no boundary line or label is left";
}

// A file named after a category of the shipped templates: an object whose "实体编码" is empty
// takes the category's default code.
TEST_F(GeoportxRun, ACategoryFileGivesItsDefaultCode) {
    GisDocument scattered = NewFile(GIS_KIND_POINT, {"实体编码", "DLBM", "MJ"});
    AddPoint(scattered, 10, 10, "", PointKind(1), {"", "0101", "12.5"});
    AddPoint(scattered, 20, 10, "", PointKind(1), {"331000", "0102", "3"});
    Write("C:\\proj\\零星.wt", scattered);
    Project({"零星.wt"});
    SetText("users4", "C:\\proj\\TOWN.mpj");
    SetText("users5", "C:\\out\\SCATTERED.dxf");

    gisexchange::BatchImportCommand();
    const std::vector<std::string> seen = Census(Root() / "c" / "out" / "SCATTERED.dxf");
    const std::vector<std::string> expected = {"ENTITY INSERT - 0",      "BLOCK Dero2008 0 0 0",
                                               "ENTITY INSERT 312000 0", "BLOCK gc200 10 10 0",
                                               "ENTITY INSERT 331000 0", "BLOCK gc200 20 10 0"};
    EXPECT_EQ(seen, expected);
}

class GeoportxProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder_.path().empty());
        std::filesystem::copy(DERO_SOURCE_DIR "/samples/support", Dir() + "/support",
                              std::filesystem::copy_options::recursive);
    }
    std::string Dir() const { return folder_.path(); }

private:
    dero::testing::TempFolder folder_{"geoportx_program"};
};

// The module's command in the cadhost program: it ends the host with 1 and says why nothing was
// read or saved; a later command line never runs.
TEST_F(GeoportxProgram, WithoutPathsSaysWhyAndStillEnds) {
    const dero::testing::CadhostRun run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, Dir(),
        "--support '" + Dir() + "/support' -c GEOPORTX -c 'LINE 0,0 1,1 ' -o after.dxf");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("USERS4"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("USERS5"), std::string::npos) << run.out;
    EXPECT_FALSE(std::filesystem::exists(Dir() + "/after.dxf")) << "the host ended at the command";
}

// A break-point file read by the program with the shipped tables: each point keeps its feature
// code, the category's when its own is empty, and has its number where the toolkit reads a point
// number (a letter, or "0", then the number).
TEST_F(GeoportxProgram, BreakPointsKeepTheirCodeAndNumber) {
    GisDocument points = NewFile(GIS_KIND_POINT, {"实体编码", "DH"});
    AddPoint(points, 10, 10, "", PointKind(1), {"331000", "12"});
    AddPoint(points, 20, 10, "", PointKind(1), {"", "J7"});
    const std::string proj = Dir() + "/root/c/proj/";
    dero::testing::WriteFile(proj + platform::text::GbkToUtf8("拐点.wt"), platform::gis::SerializeGisDocument(points));
    platform::gis::GisProject project;
    project.entries.push_back({"拐点.wt", {}});
    dero::testing::WriteFile(proj + "TOWN.mpj", platform::gis::SerializeGisProject(project));
    std::filesystem::create_directories(Dir() + "/root/c/out");
    dero::testing::WriteFile(Dir() + "/import.scr",
                             "SETVAR\nUSERS4\nC:\\proj\\TOWN.mpj\nSETVAR\nUSERS5\nC:\\out\\GD.dxf\nGEOPORTX\n");
    const dero::testing::CadhostRun run =
        dero::testing::RunCadhost(CADHOST_PROGRAM, Dir(), "--support '" + Dir() + "/support' -s import.scr");
    EXPECT_EQ(run.status, 1) << run.out << run.err;

    const std::string out = Dir() + "/census.txt";
    ASSERT_EQ(std::system(("/usr/bin/python3 " DERO_SOURCE_DIR "/gisexchange/import/tests/imported_drawing.py '" + Dir() +
                           "/root/c/out/GD.dxf' data > '" + out + "' 2>&1")
                              .c_str()),
              0)
        << dero::testing::ReadFile(out);
    const std::string expected = "ENTITY INSERT - 0\nBLOCK Dero2008 0 0 0\n"
                                 "ENTITY INSERT 331000 0\nMIRET 1000:331000 1000:0 1071:12\nBLOCK gc200 10 10 0\n"
                                 "ENTITY INSERT 331000 0\nMIRET 1000:331000 1000:J 1071:7\nBLOCK gc200 20 10 0\n";
    EXPECT_EQ(dero::testing::ReadFile(out), expected);
}

}  // namespace
