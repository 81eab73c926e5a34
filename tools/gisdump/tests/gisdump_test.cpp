#include <geos_c.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "gisdump/gis_text.h"
#include "platform/gis/gis_document.h"
#include "platform/win/root.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

using platform::gis::GisDocument;
using platform::gis::GisProject;

namespace {

class GisdumpTest : public ::testing::Test {
protected:
    void SetUp() override { platform::win::SetRoot(folder_.path()); }
    void TearDown() override { platform::win::SetRoot(""); }
    std::string Path(const std::string& name) const { return folder_ / name; }

    // A file written through the library's calls, as the product writes one.
    std::string Written(short kind)
    {
        const short workspace = GisNewWorkspace(0);
        const short slot = GisGetFileSlot(workspace, kind);
        const std::string path = Path("made");
        EXPECT_GT(GisNewFile(path.c_str(), slot, 0, 0, 0), 0);
        const short file = GisGetFileHandle(workspace);
        CFIELD_HEAD field{};
        std::strcpy(field.name, "名称");
        field.width = 20;
        EXPECT_GT(GisAddField(file, &field), 0);
        BYTE params[GIS_POINT_PARAM_SIZE];
        for (int i = 0; i < GIS_POINT_PARAM_SIZE; ++i) params[i] = static_cast<BYTE>(i * 37);
        const D_DOT square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
        CATT_STRU* structure = nullptr;
        ATT_VALUES* values = nullptr;
        if (kind == GIS_KIND_POINT) {
            const D_DOT at{0.1, -3e-7};
            EXPECT_EQ(GisWritePoint(file, &at, "乗昇\x81", 5, params, 2), 1);
            EXPECT_GT(GisGetAttribute(file, kind, 1, &structure, &values), 0);
        } else if (kind != GIS_KIND_TABLE) {
            EXPECT_EQ(GisWriteLine(file, square, 5, params, 2), 1);
            EXPECT_GT(GisGetAttribute(file, GIS_KIND_LINE, 1, &structure, &values), 0);
            if (kind == GIS_KIND_AREA) {
                const LONG list[] = {1, -1};
                EXPECT_EQ(GisBuildArea(file, list, 2, params), 1);
                EXPECT_GT(GisGetAttribute(file, kind, 1, &structure, &values), 0);
            }
        } else {
            EXPECT_GT(GisNewTableRow(file, kind, &structure, &values), 0);
        }
        EXPECT_EQ(GisSetFieldText(structure, values, "名称", "乗\"\\昇"), 1);
        if (kind == GIS_KIND_TABLE) {
            EXPECT_EQ(GisAppendTableRow(file, structure, values), 1);
        } else {
            EXPECT_EQ(GisPutAttribute(file, kind, 1, structure, values), 1);
        }
        EXPECT_GT(GisSaveFile(file, path.c_str(), GIS_SAVE_MODE, 0, 0, 0), 0);
        GisCloseFile(slot, 0);
        GisFreeWorkspace(workspace);
        return dero::testing::ReadFile(path);
    }

    // Runs gisdump and gives its exit code and output.
    int Run(const std::string& arguments, std::string* output)
    {
        const std::string out = Path("stdout");
        const int status = std::system((std::string(GISDUMP_PATH) + " " + arguments + " >" + out + " 2>&1").c_str());
        *output = dero::testing::ReadFile(out);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    dero::testing::TempFolder folder_{"dero-gisdump"};
};

std::string Dump(const std::string& bytes)
{
    GisDocument document;
    std::string error;
    EXPECT_TRUE(platform::gis::ParseGisDocument(bytes, &document, &error)) << error;
    return gisdump::DumpDocument(document);
}

std::string Build(const std::string& text)
{
    GisDocument document;
    GisProject project;
    bool isProject = false;
    std::string error;
    EXPECT_TRUE(gisdump::ParseDump(text, &document, &project, &isProject, &error)) << error;
    return isProject ? platform::gis::SerializeGisProject(project) : platform::gis::SerializeGisDocument(document);
}

TEST_F(GisdumpTest, EveryKindRoundTripsThroughText)
{
    for (short kind : {GIS_KIND_POINT, GIS_KIND_LINE, GIS_KIND_AREA, GIS_KIND_TABLE}) {
        SCOPED_TRACE(kind);
        const std::string bytes = Written(kind);
        ASSERT_FALSE(bytes.empty());
        const std::string text = Dump(bytes);
        EXPECT_EQ(Build(text), bytes);
        EXPECT_EQ(Dump(Build(text)), text);
        // GBK text shows as UTF-8; a lone lead byte and the quote and backslash are escaped.
        EXPECT_NE(text.find(reinterpret_cast<const char*>(u8"\"乗\\\"\\\\昇\"")), std::string::npos) << text;
        if (kind == GIS_KIND_POINT) {
            EXPECT_NE(text.find(reinterpret_cast<const char*>(u8"POINT 0.1 -3e-07 \"乗昇\\x81\"")), std::string::npos);
        }
    }

    // A project, written by hand.
    const std::string text = reinterpret_cast<const char*>(u8"GISPROJECT\nENTRY \"C:\\\\out\\\\a.wt\" \"点乗\"\n"
                                                           "ENTRY \"b.wl\" \"\"\n");
    const std::string bytes = Build(text);
    GisProject project;
    std::string error;
    ASSERT_TRUE(platform::gis::ParseGisProject(bytes, &project, &error)) << error;
    ASSERT_EQ(project.entries.size(), 2u);
    EXPECT_EQ(project.entries[0].path, "C:\\out\\a.wt");
    EXPECT_STREQ(project.entries[0].record.title, "点乗");
    const std::string dumped = gisdump::DumpProject(project);
    EXPECT_EQ(Build(dumped), bytes);
}

// A point file with a field of each narrow number type: long, short, byte, float.
const std::string kPoint =
    "GISFILE kind=1\nFIELD \"ID\" type=3 width=10 decimals=0 flag=1\nFIELD \"S\" type=2 width=6 decimals=0 flag=0\n"
    "FIELD \"B\" type=1 width=3 decimals=0 flag=0\nFIELD \"F\" type=4 width=12 decimals=3 flag=0\nPOINT 1 2 \"a\"\n";

TEST_F(GisdumpTest, BadTextIsRefusedWithTheLine)
{
    // The ends of every range, and blanks, are values.
    Build(kPoint + "  VALUES \"-2147483648\" \"-32768\" \"255\" \"-3.4e38\"\nPOINT 0 0 \"\"\n"
                   "  VALUES \"2147483647\" \"32767\" \"0\" \"\"\n");

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "line 1"},
        {"GISFILE kind=4\n", "line 1"},
        {"GISFILE kind=0\nFIELD \"ID\" type=3 width=10 decimals=0 flag=1\nLINE 2\n  XY 0 0\n  XY 1 nan\n", "line 5"},
        {"GISFILE kind=0\nFIELD \"ID\" type=3 width=10 decimals=0 flag=1\nLINE 3\n  XY 0 0\n  XY 1 1\n", "line 6"},
        {"GISFILE kind=2\nFIELD \"ID\" type=3 width=10 decimals=0 flag=1\nAREA 1 1\n", "line 4"},
        {"GISFILE kind=1\nFIELD \"ID\" type=3 width=10 decimals=0 flag=1\nPOINT 1 2 \"a\"\n  PARAMS 00\n", "line 4"},
        {"GISFILE kind=1\nFIELD \"ID\" type=3 width=10 decimals=0 flag=1\nPOINT 1 2 \"a\"\n  VALUES \"1\" \"2\"\n",
         "line 4"},
        {"GISFILE kind=1\nPOINT 1 2 \"unterminated\n", "line 2"},
        {"GISPROJECT\nENTRY \"a.wt\" \"A\"\n  RECORD " + std::string(512, '0') + "\n", "line 3"},
        // Numbers beyond their type, and values their field's type cannot hold.
        {"GISFILE kind=4294967297\n", "line 1"},
        {kPoint + "  VALUES \"abc\" \"1\" \"1\" \"1\"\n", "line 7"},
        {kPoint + "  VALUES \"1.5\" \"1\" \"1\" \"1\"\n", "line 7"},
        {kPoint + "  VALUES \"2147483648\" \"1\" \"1\" \"1\"\n", "line 7"},
        {kPoint + "  VALUES \"1\" \"32768\" \"1\" \"1\"\n", "line 7"},
        {kPoint + "  VALUES \"1\" \"1\" \"-1\" \"1\"\n", "line 7"},
        {kPoint + "  VALUES \"1\" \"1\" \"1\" \"1e39\"\n", "line 7"},
        {kPoint + "  VALUES \"1\" \"1\" \"1\" \"x\"\n", "line 7"},
    };
    for (const auto& [text, where] : cases) {
        GisDocument document;
        GisProject project;
        bool isProject = false;
        std::string error;
        EXPECT_FALSE(gisdump::ParseDump(text, &document, &project, &isProject, &error)) << text;
        EXPECT_EQ(error.rfind(where + ":", 0), 0u) << text << " -> " << error;
    }
    GisDocument document;
    GisProject project;
    bool isProject = false;
    std::string error;
    EXPECT_FALSE(gisdump::ParseDump(kPoint + "  VALUES \"1\" \"1\" \"x\" \"1\"\n", &document, &project, &isProject, &error));
    EXPECT_EQ(error, "line 7: the value of field B does not fit its type");
}

TEST_F(GisdumpTest, AreasAssembleIntoValidPolygons)
{
    // A square of two lines with a square hole of one line walked backwards, and a triangle.
    const std::string text =
        "GISFILE kind=2\n"
        "FIELD \"ID\" type=3 width=10 decimals=0 flag=1\n"
        "LINE 3\n  XY 0 0\n  XY 10 0\n  XY 10 10\n"
        "LINE 3\n  XY 10 10\n  XY 0 10\n  XY 0 0\n"
        "LINE 5\n  XY 2 2\n  XY 2 4\n  XY 4 4\n  XY 4 2\n  XY 2 2\n"
        "LINE 2\n  XY 20 0\n  XY 23 0\n"
        "LINE 3\n  XY 20 0\n  XY 20 4\n  XY 23 0\n"
        "AREA 4 1 2 0 -3\n"
        "AREA 2 4 -5\n";
    ASSERT_TRUE(platform::gis::WriteFileAtomically(Path("areas.txt"), text));
    std::string output;
    ASSERT_EQ(Run("--build " + Path("areas.txt") + " " + Path("areas.wp"), &output), 0) << output;
    ASSERT_EQ(Run("--wkt " + Path("areas.wp"), &output), 0) << output;

    std::vector<double> areas;
    GEOSContextHandle_t context = GEOS_init_r();
    GEOSWKTReader* reader = GEOSWKTReader_create_r(context);
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("POLYGON", 0) != 0) continue;
        GEOSGeometry* polygon = GEOSWKTReader_read_r(context, reader, line.c_str());
        ASSERT_NE(polygon, nullptr) << line;
        EXPECT_EQ(GEOSisValid_r(context, polygon), 1) << line;
        double area = 0;
        GEOSArea_r(context, polygon, &area);
        areas.push_back(area);
        GEOSGeom_destroy_r(context, polygon);
    }
    GEOSWKTReader_destroy_r(context, reader);
    GEOS_finish_r(context);
    EXPECT_EQ(areas, (std::vector<double>{96, 6}));

    // The dump of the built file is the text it was built from, comments aside.
    ASSERT_EQ(Run(Path("areas.wp"), &output), 0);
    EXPECT_EQ(Build(output), dero::testing::ReadFile(Path("areas.wp")));

    // Damaged files and bad arguments give a message and a failing exit code.
    std::string bytes = dero::testing::ReadFile(Path("areas.wp"));
    dero::testing::WriteFile(Path("cut.wp"), bytes.substr(0, bytes.size() - 37));
    EXPECT_EQ(Run(Path("cut.wp"), &output), 1);
    EXPECT_NE(output.find("damaged"), std::string::npos) << output;
    EXPECT_EQ(Run(Path("missing.wp"), &output), 1);
    EXPECT_EQ(Run("--build " + Path("areas.txt") + " " + Path("nowhere/x.wp"), &output), 1);
    EXPECT_EQ(Run("--frobnicate", &output), 2);
}

}  // namespace
