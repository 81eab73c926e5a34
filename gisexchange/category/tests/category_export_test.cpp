// The export by category run in the host on generated and hand-made drawings, its files read back
// through the MapGIS file format and checked against what ezdxf and GEOS make of the drawing.
#include <geos_c.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "drawingutil/coded_entities.h"
#include "gisdump/gis_text.h"
#include "gisexchange/category_export.h"
#include "gisexchange/config_tables.h"
#include "platform/cad/db_database.h"
#include "platform/cad/prompts.h"
#include "platform/gis/gis_document.h"
#include "platform/text/encoding.h"
#include "platform/win/fault_injection.h"
#include "platform/win/files.h"
#include "testing/files.h"
#include "testing/host_machine.h"

namespace {

using namespace gisexchange;
using platform::gis::GisDocument;
using platform::gis::GisProject;

struct CategoryFile {
    const char* folder;
    const char* extension;
    const char* templateFile;
};
const CategoryFile kFiles[] = {
    {"注记", ".wt", "ZHUJI.WT"},   {"拐点", ".wt", "GUAIDIAN.WT"}, {"零星", ".wt", "LINGXING.WT"},
    {"图斑线", ".wl", "TBX.WL"},   {"线状", ".wl", "XZ.WL"},       {"权属界线", ".wl", "QSJX.WL"},
    {"行政界线", ".wl", "XZJX.WL"}, {"行政", ".wp", "XZ.WP"},       {"权属", ".wp", "QS.WP"},
    {"图斑", ".wp", "TB.WP"},
};

class CategoryExport : public dero::testing::HostMachineTest {
protected:
    CategoryExport() : HostMachineTest("category_export") {}

    void SetUp() override
    {
        HostMachineTest::SetUp();
        const std::filesystem::path support = DERO_SOURCE_DIR "/samples/support";
        for (const auto& file : kFiles)
            std::filesystem::copy_file(support / file.templateFile, SupportFolder() / file.templateFile);
        for (const char* name : {"GongChen.mpj", "cvtMapGisAttr.def"})
            std::filesystem::copy_file(support / name, SupportFolder() / name);
        ASSERT_TRUE(LoadTemplateData());
        std::filesystem::create_directories(Root() / "d" / "out");
        db_ = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db_.get());
    }
    void TearDown() override
    {
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        HostMachineTest::TearDown();
    }

    void Export(const std::string& name)
    {
        answers->Push(platform::ui::FolderAnswer("D:\\out"));
        answers->Push(platform::ui::PromptAnswer(name));
        ExportByCategory();
    }
    static std::string Target(const CategoryFile& file, const std::string& name = "TOWN")
    {
        return std::string("D:\\out\\") + file.folder + "\\" + name + file.extension;
    }
    static bool Exists(const std::string& windowsPath) { return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static GisDocument Read(const std::string& windowsPath)
    {
        std::string bytes, error;
        GisDocument document;
        EXPECT_GT(platform::gis::ReadFileBytes(windowsPath, &bytes), 0) << platform::text::GbkToUtf8(windowsPath);
        EXPECT_TRUE(platform::gis::ParseGisDocument(bytes, &document, &error)) << error;
        return document;
    }
    static GisProject ReadProject(const std::string& windowsPath)
    {
        std::string bytes, error;
        GisProject project;
        EXPECT_GT(platform::gis::ReadFileBytes(windowsPath, &bytes), 0);
        EXPECT_TRUE(platform::gis::ParseGisProject(bytes, &project, &error)) << error;
        return project;
    }
    static std::size_t Objects(const GisDocument& d) { return d.points.size() + d.lines.size() + d.areas.size(); }
    static int FieldIndex(const GisDocument& d, const char* name)
    {
        for (std::size_t i = 0; i < d.fields.size(); ++i)
            if (d.fields[i].name == name)
                return static_cast<int>(i);
        ADD_FAILURE() << "no field " << platform::text::GbkToUtf8(name);
        return 0;
    }
    // Everything below the output folder, as relative UTF-8 paths.
    std::vector<std::string> Written() const
    {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Root() / "d"))
            found.push_back(std::filesystem::relative(entry.path(), Root() / "d").string());
        std::sort(found.begin(), found.end());
        return found;
    }
    std::filesystem::path Scratch() const { return Root() / "scratch"; }

private:
    std::unique_ptr<AcDbDatabase> db_;
};

// ezdxf's view of the drawing.
struct Census {
    std::map<std::pair<std::string, std::string>, int> counts;
    std::vector<std::string> adminCodes, deductions, districts;

    int Count(const std::string& typePart, const std::vector<std::string>& codes, bool exactType) const
    {
        int n = 0;
        for (const auto& [key, count] : counts) {
            bool typeMatches = exactType ? key.first == typePart : key.first.find(typePart) != std::string::npos;
            bool codeMatches = codes.empty() || std::find(codes.begin(), codes.end(), key.second) != codes.end();
            n += typeMatches && codeMatches ? count : 0;
        }
        return n;
    }
};

Census TakeCensus(const std::string& dxf, const std::filesystem::path& scratch)
{
    const std::string out = (scratch / "census.txt").string();
    const std::string command = "/usr/bin/python3 '" DERO_SOURCE_DIR "/gisexchange/category/tests/drawing_census.py' '" +
                                dxf + "' > '" + out + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    Census census;
    std::istringstream lines(dero::testing::ReadFile(out));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string word, a, b;
        words >> word;
        if (word == "COUNT") {
            int n = 0;
            words >> a >> b >> n;
            census.counts[{a, b}] = n;
        } else if (word == "ADMIN") {
            words >> a;
            census.adminCodes.push_back(a);
        } else if (word == "XKCFS") {
            words >> a;
            census.deductions.push_back(a);
        } else if (word == "DISTRICT") {
            std::getline(words, a);
            census.districts.push_back(a);
        }
    }
    return census;
}

// The area of the symmetric difference of two polygons given as WKT.
double SymmetricDifferenceArea(const std::string& a, const std::string& b)
{
    GEOSContextHandle_t geos = GEOS_init_r();
    GEOSWKTReader* reader = GEOSWKTReader_create_r(geos);
    GEOSGeometry* ga = GEOSWKTReader_read_r(geos, reader, a.c_str());
    GEOSGeometry* gb = GEOSWKTReader_read_r(geos, reader, b.c_str());
    double area = -1;
    if (ga != nullptr && gb != nullptr && GEOSisValid_r(geos, ga) == 1) {
        GEOSGeometry* difference = GEOSSymDifference_r(geos, ga, gb);
        if (difference != nullptr) {
            GEOSArea_r(geos, difference, &area);
            GEOSGeom_destroy_r(geos, difference);
        }
    }
    if (ga != nullptr)
        GEOSGeom_destroy_r(geos, ga);
    if (gb != nullptr)
        GEOSGeom_destroy_r(geos, gb);
    GEOSWKTReader_destroy_r(geos, reader);
    GEOS_finish_r(geos);
    return area;
}

std::string PolygonOf(const std::string& coordinates)
{
    std::istringstream in(coordinates);
    std::vector<std::string> numbers;
    std::string n;
    while (in >> n)
        numbers.push_back(n);
    std::string wkt = "POLYGON ((";
    for (std::size_t i = 0; i + 1 < numbers.size(); i += 2)
        wkt += (i > 0 ? ", " : "") + numbers[i] + " " + numbers[i + 1];
    return wkt + ", " + numbers[0] + " " + numbers[1] + "))";
}

TEST_F(CategoryExport, TownGoesIntoTheTenFilesAndTheProject)
{
    std::filesystem::create_directories(Scratch());
    const std::string dxf = (Scratch() / "town.dxf").string();
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 11 --parcels 70 --category-features --codes '" DERO_SOURCE_DIR
                             "/samples/support/index.ini' --out '" + dxf + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(acdbHostApplicationServices()->workingDatabase()->readDwgFile(dxf.c_str()), Acad::eOk);
    const Census census = TakeCensus(dxf, Scratch());
    ASSERT_FALSE(census.districts.empty());

    Export("TOWN");
    EXPECT_EQ(CommandLine().find("无法"), std::string::npos) << platform::text::GbkToUtf8(CommandLine());

    const GisDocument notes = Read(Target(kFiles[0]));
    EXPECT_EQ(static_cast<int>(notes.points.size()), census.Count("TEXT", {}, true));
    const GisDocument breaks = Read(Target(kFiles[1]));
    EXPECT_EQ(static_cast<int>(breaks.points.size()), census.Count("CIRCLE", {"331000"}, true));
    ASSERT_FALSE(breaks.points.empty());
    EXPECT_EQ(breaks.points[0].params[0], 1);
    EXPECT_EQ(breaks.points[0].params[52], 58);
    EXPECT_EQ(breaks.points[0].values[static_cast<std::size_t>(FieldIndex(breaks, "DH"))], "1") << "the point's number";
    EXPECT_EQ(static_cast<int>(Read(Target(kFiles[2])).points.size()), census.Count("INSERT", {"312000"}, true));
    EXPECT_EQ(static_cast<int>(Read(Target(kFiles[3])).lines.size()), census.Count("POLYLINE", {"216100"}, false));
    const GisDocument roads = Read(Target(kFiles[4]));
    EXPECT_EQ(static_cast<int>(roads.lines.size()), census.Count("POLYLINE", {"311000"}, false));
    ASSERT_FALSE(roads.lines.empty());
    EXPECT_EQ(roads.lines[0].params[25], 34);

    const GisDocument owned = Read(Target(kFiles[5]));
    ASSERT_EQ(owned.lines.size(), census.deductions.size());
    const int deduction = FieldIndex(owned, "线扣除方式");
    const std::map<std::string, std::string> mapgisDeduction = {{"0", "-1"}, {"0.5", "0"}, {"1", "1"}};
    for (std::size_t i = 0; i < owned.lines.size(); ++i)
        EXPECT_EQ(owned.lines[i].values[static_cast<std::size_t>(deduction)], mapgisDeduction.at(census.deductions[i])) << i;

    const GisDocument boundaries = Read(Target(kFiles[6]));
    ASSERT_EQ(boundaries.lines.size(), census.adminCodes.size());
    const int boundaryName = FieldIndex(boundaries, "JJMC");
    const std::map<std::string, std::string> names = {{"191401", "县界"}, {"191501", "乡界"}, {"191600", "村界"}};
    for (std::size_t i = 0; i < boundaries.lines.size(); ++i)
        EXPECT_EQ(boundaries.lines[i].values[static_cast<std::size_t>(boundaryName)], names.at(census.adminCodes[i])) << i;

    const GisDocument districts = Read(Target(kFiles[7]));
    ASSERT_EQ(districts.areas.size(), census.districts.size());
    std::string wkt, error;
    ASSERT_TRUE(gisdump::DumpWkt(districts, &wkt, &error)) << error;
    std::istringstream objects(wkt);
    std::string object;
    std::size_t area = 0;
    while (std::getline(objects, object)) {
        if (object.rfind("POLYGON", 0) != 0)
            continue;
        ASSERT_LT(area, census.districts.size());
        EXPECT_NEAR(SymmetricDifferenceArea(object, PolygonOf(census.districts[area])), 0, 1e-6) << object;
        ++area;
    }
    EXPECT_EQ(area, census.districts.size());
    EXPECT_EQ(districts.areas[0].values[static_cast<std::size_t>(FieldIndex(districts, "XZQDM"))].size(), 12u);
    EXPECT_EQ(Objects(Read(Target(kFiles[8]))), 0u);
    EXPECT_EQ(Objects(Read(Target(kFiles[9]))), 0u);

    const GisProject project = ReadProject("D:\\out\\工程\\TOWN.mpj");
    ASSERT_EQ(project.entries.size(), std::size(kFiles));
    for (std::size_t i = 0; i < std::size(kFiles); ++i) {
        EXPECT_EQ(project.entries[i].path, Target(kFiles[i]));
        EXPECT_STREQ(project.entries[i].record.title, kFiles[i].folder) << "the template's titles stay";
    }
}

TEST_F(CategoryExport, EmptyDrawingGivesTemplateCopiesAndAMissingTemplateIsLeftOut)
{
    std::filesystem::remove(SupportFolder() / "TBX.WL");
    Export("TOWN");
    for (const auto& file : kFiles) {
        if (std::string(file.templateFile) == "TBX.WL") {
            EXPECT_FALSE(Exists(Target(file)));
            continue;
        }
        const GisDocument copy = Read(Target(file));
        EXPECT_EQ(Objects(copy), 0u) << file.templateFile;
        std::string bytes;
        platform::gis::ReadFileBytes(Target(file), &bytes);
        EXPECT_EQ(bytes, dero::testing::ReadFile(SupportFolder() / file.templateFile)) << file.templateFile;
    }
    EXPECT_EQ(ReadProject("D:\\out\\工程\\TOWN.mpj").entries.size(), std::size(kFiles)) << "every position is entered";
    EXPECT_EQ(CommandLine().find("TBX"), std::string::npos) << "a missing template is not reported";
}

TEST_F(CategoryExport, NothingIsCreatedWithoutAFolderOrAUsableName)
{
    answers->Push(platform::ui::CancelAnswer(platform::ui::RequestKind::Folder));
    ExportByCategory();
    answers->Push(platform::ui::FolderAnswer("D:\\out"));
    answers->Push(platform::ui::CancelAnswer(platform::ui::RequestKind::Prompt));
    ExportByCategory();
    Export("");
    EXPECT_TRUE(Written() == std::vector<std::string>{"out"});

    for (const char* bad : {"..\\x", "../x", "a:b", "a|b", "x*"}) {
        platform::cad::ClearCommandLine();
        Export(bad);
        EXPECT_NE(CommandLine().find("不能作文件名"), std::string::npos) << bad;
        EXPECT_TRUE(Written() == std::vector<std::string>{"out"}) << bad;
    }

    // 乗 ends in the byte of a backslash: the name is whole, and so are the folders made for it.
    Export("乗");
    EXPECT_TRUE(Exists(Target(kFiles[0], "乗")));
    EXPECT_TRUE(Exists("D:\\out\\工程\\乗.mpj"));
    EXPECT_EQ(CreateFolderPath("D:\\new\\乗\\sub"), TRUE);
    EXPECT_TRUE(Exists("D:\\new\\乗\\sub"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Root() / "d" / "new"), {}), 1);
}

TEST_F(CategoryExport, AFailedWriteIsNamedAndTheRestGoesOn)
{
    platform::win::ScopedFaults faults;
    platform::win::InjectFault(platform::win::FaultKind::Write, u"D:\\out\\线状\\*");
    platform::win::InjectFault(platform::win::FaultKind::Write, u"D:\\out\\工程\\*");
    // A district of one vertex has no outline to write: it is named and left out.
    AcGePoint2dArray one;
    one.append(AcGePoint2d(5, 5));
    const AcDbObjectId dot = CreateCodedPolyline(one, 0, 1, "321000", 0, kLightweightPolyline, "XZQ");
    AcGePoint2dArray square;
    for (const AcGePoint2d& p : {AcGePoint2d(0, 0), AcGePoint2d(4, 0), AcGePoint2d(4, 4), AcGePoint2d(0, 4)})
        square.append(p);
    CreateCodedPolyline(square, 0, 1, "322000", 0, kLightweightPolyline, "XZQ");
    Export("TOWN");
    EXPECT_NE(CommandLine().find("行政区 " + dot.handle().text()), std::string::npos);
    EXPECT_EQ(Read(Target(kFiles[7])).areas.size(), 1u);
    EXPECT_NE(CommandLine().find("D:\\out\\线状\\TOWN.wl"), std::string::npos) << platform::text::GbkToUtf8(CommandLine());
    EXPECT_NE(CommandLine().find("D:\\out\\工程\\TOWN.mpj"), std::string::npos);
    EXPECT_FALSE(Exists(Target(kFiles[4])));
    EXPECT_TRUE(Exists(Target(kFiles[5]))) << "the categories after it are written";
}

}  // namespace

namespace {

TEST(CategoryTemplates, CommittedFilesAreWhatTheScriptMakes)
{
    dero::testing::TempFolder folder("category_templates");
    ASSERT_FALSE(folder.path().empty());
    const std::string run = "GISDUMP='" GISDUMP_PROGRAM "' '" DERO_SOURCE_DIR "/samples/make_gis_templates' '" +
                            folder.path() + "'";
    ASSERT_EQ(std::system(run.c_str()), 0);
    int made = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        const std::filesystem::path committed =
            std::filesystem::path(DERO_SOURCE_DIR "/samples/support") / entry.path().filename();
        EXPECT_EQ(dero::testing::ReadFile(entry.path()), dero::testing::ReadFile(committed)) << entry.path().filename();
        ++made;
    }
    EXPECT_EQ(made, 11) << "ten category templates and the project";
}

}  // namespace
