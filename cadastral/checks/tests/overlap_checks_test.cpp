// The four overlap checks inside one host process with DeroPelgar and Tallyview, on drawings laid
// out by hand: each finding's text and linked entities are read back from the browser's items as
// the bar exports them into the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "browser/info_item.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/ui/ui_driver.h"
#include "testing/files.h"
#include "testing/host_machine.h"

namespace {

using Finding = browser_testing::BrowserLine;
using Findings = browser_testing::BrowserLines;

class OverlapChecks : public dero::testing::HostMachineTest {
protected:
    OverlapChecks() : HostMachineTest("overlap_checks") {}

    void SetUp() override {
        HostMachineTest::SetUp();
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false));
        ASSERT_TRUE(acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false));
    }

    static AcDbObjectId Outline(const std::vector<std::pair<double, double>>& points, const char* code,
                                const char* layer, bool closed = true) {
        AcGePoint2dArray host;
        for (const auto& [x, y] : points) host.append(AcGePoint2d(x, y));
        return CreateCodedPolyline(host, 0.0, closed ? 1 : 0, code, 0.0, kLightweightPolyline, layer);
    }
    static AcDbObjectId Box(double x0, double y0, double x1, double y1, const char* code, const char* layer) {
        return Outline({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, code, layer);
    }
    static std::string Handle(AcDbObjectId id) {
        AcDbObject* object = nullptr;
        if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) return {};
        char text[32];
        object->objectHandle().getIntoAsciiBuffer(text, sizeof text);
        object->close();
        return text;
    }
    static void Run(const char* command) {
        platform::cad::ClearCommandLine();
        ASSERT_EQ(acedCommand(RTSTR, command, RTNONE), RTNORM);
    }

    // Every entity on "ERROR": handle and area.
    static std::map<std::string, double> Markers() {
        std::map<std::string, double> markers;
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* space = nullptr;
        if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return markers;
        const AcDbObjectIdArray ids = space->entityIds();
        space->close();
        for (int i = 0; i < ids.length(); ++i) {
            AcDbCurve* curve = nullptr;
            if (acdbOpenObject(curve, ids[i], AcDb::kForRead) != Acad::eOk) continue;
            const std::string layer = curve->layerName();
            double area = 0;
            curve->getArea(area);
            curve->close();
            if (layer == "ERROR") markers[Handle(ids[i])] = area;
        }
        return markers;
    }

    // The browser's items, exported into the drawing as a person does it and read back.
    Findings Exported() { return browser_testing::ExportedBrowserLines(*answers); }
    static bool Links(const Finding& finding, AcDbObjectId id) {
        const std::string h = Handle(id);
        return std::find(finding.handles.begin(), finding.handles.end(), h) != finding.handles.end();
    }
};

// Two parcels side by side; a house inside the left one, one flush with its side, one reaching
// 1.5 m into the right one, and one over the left parcel's outer edge. Each house reaching out of
// a parcel is a finding of that parcel, with the common part drawn on "ERROR" and linked first.
TEST_F(OverlapChecks, HousesAcrossParcelBoundaries) {
    const AcDbObjectId left = Box(0, 0, 20, 20, "300000", "JZD");
    const AcDbObjectId right = Box(20, 0, 40, 20, "300000", "JZD");
    Box(2, 2, 8, 8, "141100", "JMD");                       // inside
    Box(10, 0, 14, 5, "141101", "JMD");                     // flush with the left parcel's side
    const AcDbObjectId reaching = Box(12, 10, 21.5, 16, "141102", "JMD");
    const AcDbObjectId edge = Box(-2, 15, 3, 18, "141100", "JMD");
    Box(15, 2, 25, 4, "310000", "JMD");                     // across, but of no house class

    Run("CheckFW_Intersect_ZD");
    EXPECT_NE(CommandLine().find("共查出 3 个宗地与房屋相交"), std::string::npos) << CommandLine();
    Findings found = Exported();
    const std::vector<Finding>& list = found["房屋与宗地相交检查"];
    ASSERT_EQ(list.size(), 3u);
    std::map<std::string, double> markers = Markers();
    ASSERT_EQ(markers.size(), 3u);
    const AcDbObjectId parcels[] = {left, left, right};
    const AcDbObjectId houses[] = {reaching, edge, reaching};
    const double areas[] = {8 * 6, 3 * 3, 1.5 * 6};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Finding& f = list[i];
        EXPECT_EQ(f.text, std::to_string(i + 1) + " 房屋与宗地相交");
        ASSERT_EQ(f.handles.size(), 3u) << f.text;
        EXPECT_EQ(f.handles[1], Handle(parcels[i])) << f.text;
        EXPECT_EQ(f.handles[2], Handle(houses[i])) << f.text;
        ASSERT_TRUE(markers.count(f.handles[0])) << f.text;
        EXPECT_NEAR(markers[f.handles[0]], areas[i], 1e-9) << f.text;
    }

    // A second run leaves only its own markers, and the same findings.
    Run("CheckFW_Intersect_ZD");
    const std::map<std::string, double> again = Markers();
    EXPECT_EQ(again.size(), 3u);
    for (const auto& [handle, area] : again) EXPECT_EQ(markers.count(handle), 0u) << handle;
    EXPECT_EQ(Exported()["房屋与宗地相交检查"].size(), 3u);
}

TEST_F(OverlapChecks, HousesOverHouses) {
    const AcDbObjectId a = Box(0, 0, 10, 10, "141100", "JMD");
    const AcDbObjectId twin = Box(0, 0, 10, 10, "141101", "JMD");  // the same outline again
    const AcDbObjectId inner = Box(2, 2, 4, 4, "141100", "JMD");    // inside both, no contact
    const AcDbObjectId crossing = Box(30, 0, 40, 10, "141100", "JMD");
    const AcDbObjectId over = Box(35, 5, 45, 15, "141102", "JMD");
    const AcDbObjectId open = Outline({{60, 0}, {70, 0}, {70, 10}}, "141100", "JMD", false);
    const AcDbObjectId thin = Outline({{80, 0}, {90, 0}}, "141100", "JMD");
    Box(31, 1, 33, 3, "310000", "JMD");  // inside a house, but no house code

    Run("FW_Intersect_FW");
    Findings found = Exported();
    const std::vector<Finding>& overlaps = found["房屋相交"];
    ASSERT_EQ(overlaps.size(), 4u);
    int equal = 0, contained = 0, common = 0;
    for (std::size_t i = 0; i < overlaps.size(); ++i) {
        const Finding& f = overlaps[i];
        EXPECT_EQ(f.text.substr(0, f.text.find(' ')), std::to_string(i + 1));
        ASSERT_EQ(f.handles.size(), 2u);
        if (f.text.find("两房屋完全重合.") != std::string::npos) {
            ++equal;
            EXPECT_TRUE(Links(f, a) && Links(f, twin));
        } else if (f.text.find("一房屋完全在另一房屋内部,且无交点.") != std::string::npos) {
            ++contained;
            EXPECT_TRUE(Links(f, inner));
        } else if (f.text.find("两房屋相交,有公共面积.") != std::string::npos) {
            ++common;
            EXPECT_TRUE(Links(f, crossing) && Links(f, over));
        }
    }
    EXPECT_EQ(equal, 1);
    EXPECT_EQ(contained, 2);  // once from each of the two outer houses
    EXPECT_EQ(common, 1);
    ASSERT_EQ(found["房屋未闭合"].size(), 1u);
    EXPECT_EQ(found["房屋未闭合"][0].text, "1 该房屋未闭合.");
    EXPECT_TRUE(Links(found["房屋未闭合"][0], open));
    ASSERT_EQ(found["房屋顶点过少"].size(), 1u);
    EXPECT_EQ(found["房屋顶点过少"][0].text, "1 该房屋顶点个数是 2 个.");
    EXPECT_TRUE(Links(found["房屋顶点过少"][0], thin));
}

// Patches over patches, an open one, an island touching its patch's closing side, an island
// floating free; then the main application's command, which this host does not have.
TEST_F(OverlapChecks, PatchesAndIslands) {
    const AcDbObjectId block = Outline({{0, 0}, {50, 0}, {50, 50}, {0, 50}}, "310000", "DLJ");
    const AcDbObjectId over = Box(45, 10, 60, 20, "310000", "DLJ");
    // Touches the block's side from (0, 50) back to (0, 0): the fence must run along it.
    const AcDbObjectId island = Box(0, 20, 10, 30, "310000", "DLJ");
    Box(20, 20, 30, 30, "310000", "DLJ");  // inside, touching nothing: no finding anywhere
    const AcDbObjectId open = Outline({{100, 0}, {110, 0}, {110, 10}}, "310000", "DLJ", false);
    Box(200, 0, 210, 10, "310000", "DLJ");
    Box(200, 0, 210, 10, "310000", "DLJ");

    Run("TB_Intersect_TB");
    EXPECT_NE(CommandLine().find("FindZeroAreaTB"), std::string::npos) << CommandLine();
    Findings found = Exported();
    const std::vector<Finding>& overlaps = found["图斑相交"];
    ASSERT_EQ(overlaps.size(), 2u);
    EXPECT_EQ(overlaps[0].text, "1 两图斑相交,有公共面积.");
    EXPECT_TRUE(Links(overlaps[0], block) && Links(overlaps[0], over));
    EXPECT_EQ(overlaps[1].text, "2 两图斑完全重合.");
    ASSERT_EQ(found["图斑未闭合"].size(), 1u);
    EXPECT_TRUE(Links(found["图斑未闭合"][0], open));
    const std::vector<Finding>& islands = found["非法岛图斑"];
    ASSERT_EQ(islands.size(), 4u);
    EXPECT_EQ(islands[0].text, "1,外层图斑");
    EXPECT_EQ(islands[0].handles, std::vector<std::string>{Handle(block)});
    EXPECT_EQ(islands[1].text, "1,内部图斑:1个");
    EXPECT_EQ(islands[1].handles, std::vector<std::string>{Handle(island)});
    EXPECT_EQ(islands[2].text, "1,内部图斑与外部图斑共2个");
    EXPECT_EQ(islands[3].text, "共找到1个非法图斑");
}

TEST_F(OverlapChecks, EmptyDrawingsAndDegenerateOutlines) {
    Run("CheckFW_Intersect_ZD");
    EXPECT_NE(CommandLine().find("\n当前图上没有宗地"), std::string::npos) << CommandLine();
    Run("FW_Intersect_FW");
    EXPECT_NE(CommandLine().find("\n当前图上没有房屋!"), std::string::npos) << CommandLine();
    Run("TB_Intersect_TB");
    EXPECT_NE(CommandLine().find("\n当前图上没有图斑!"), std::string::npos) << CommandLine();
    EXPECT_EQ(CommandLine().find("FindZeroAreaTB"), std::string::npos);
    Run("FindIllegalTBs");

    // A bow-tie, a zero-area house and a two-vertex outline everywhere: the checks end normally.
    Box(0, 0, 20, 20, "300000", "JZD");
    Outline({{0, 0}, {20, 20}, {20, 0}, {0, 20}}, "300000", "JZD");
    Outline({{5, 5}, {25, 5}, {5, 15}, {25, 15}}, "141100", "JMD");
    Outline({{2, 2}, {8, 2}, {14, 2}}, "141100", "JMD");
    Outline({{18, 3}, {22, 3}}, "141100", "JMD");
    Outline({{0, 0}, {20, 20}, {20, 0}, {0, 20}}, "310000", "DLJ");
    Outline({{1, 1}, {30, 1}}, "310000", "DLJ");
    Run("CheckFW_Intersect_ZD");
    EXPECT_NE(CommandLine().find("共查出"), std::string::npos) << CommandLine();
    for (const char* command : {"FW_Intersect_FW", "TB_Intersect_TB", "FindIllegalTBs"}) Run(command);
    Findings found = Exported();
    ASSERT_FALSE(found["非法岛图斑"].empty());
    EXPECT_EQ(found["非法岛图斑"].back().text, "共找到0个非法图斑");
    EXPECT_EQ(found["房屋顶点过少"].size(), 1u);
}

// The generator's faults, kind by kind: (handle, related handle).
std::map<std::string, std::set<std::pair<std::string, std::string>>> ReportedFaults(const std::string& report) {
    std::map<std::string, std::set<std::pair<std::string, std::string>>> faults;
    const std::regex fault(R"re("kind": "([a-z_]+)", "handle": "([0-9A-F]+)"(, "related": "([0-9A-F]+)")?)re");
    for (std::sregex_iterator it(report.begin(), report.end(), fault), end; it != end; ++it)
        faults[(*it)[1]].insert({(*it)[2], (*it)[4]});
    return faults;
}

std::string RunOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// A town from the generator with houses pushed across parcel sides, houses over houses, open
// houses, patches over the blocks' patches and islands in them, as a new user would make it. The
// findings must be exactly the generator's faults, and the common parts drawn on "ERROR" must
// have the areas that ezdxf and shapely give for parcel and house.
TEST_F(OverlapChecks, FindingsOfAGeneratedTown) {
    const std::string dir = Root().string();
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 26 --parcels 300 --codes '" DERO_SOURCE_DIR
                             "/samples/support/index.ini' --out '" + dir + "/town.dxf' --report '" + dir +
                             "/faults.json' --houses-across-boundaries 0.1 --overlapping-houses 0.05 --open-houses 0.02"
                             " --overlapping-patches 0.3 --island-patches 0.5";
    ASSERT_EQ(std::system(make.c_str()), 0);
    auto faults = ReportedFaults(dero::testing::ReadFile(dir + "/faults.json"));
    ASSERT_GE(faults["house_across_boundary"].size(), 5u);
    ASSERT_GE(faults["overlapping_patch"].size(), 3u);
    ASSERT_GE(faults["island_patch"].size(), 2u);

    // parcel handle + house handle -> common area, from the drawing alone.
    std::map<std::pair<std::string, std::string>, double> expected;
    std::istringstream oracle(RunOutput("/usr/bin/python3 '" DERO_SOURCE_DIR
                                        "/cadastral/checks/tests/overlap_oracle.py' '" + dir + "/town.dxf' '"
                                        DERO_SOURCE_DIR "/samples/support/index.ini'"));
    std::string parcel, house;
    double area = 0;
    while (oracle >> parcel >> house >> area) expected[{parcel, house}] = area;
    ASSERT_EQ(expected.size(), 2 * faults["house_across_boundary"].size());

    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    std::set<std::string> firstMarkers;
    for (int run = 0; run < 2; ++run) {
        Run("CheckFW_Intersect_ZD");
        const std::vector<Finding> list = Exported()["房屋与宗地相交检查"];
        const std::map<std::string, double> markers = Markers();
        ASSERT_EQ(list.size(), expected.size()) << run;
        std::set<std::string> linked;
        for (const Finding& f : list) {
            ASSERT_GE(f.handles.size(), 3u) << f.text;
            const std::pair<std::string, std::string> key{f.handles[f.handles.size() - 2], f.handles.back()};
            ASSERT_EQ(expected.count(key), 1u) << f.text << " " << key.first << " " << key.second;
            double sum = 0;
            for (std::size_t i = 0; i + 2 < f.handles.size(); ++i) {
                ASSERT_EQ(markers.count(f.handles[i]), 1u) << f.text;
                sum += markers.at(f.handles[i]);
                linked.insert(f.handles[i]);
            }
            EXPECT_NEAR(sum, expected.at(key), 1e-6 * expected.at(key)) << f.text;
        }
        // Nothing else on "ERROR"; a second run replaces the first one's markers.
        EXPECT_EQ(linked.size(), markers.size());
        for (const auto& [handle, a] : markers) {
            if (run == 0) firstMarkers.insert(handle);
            else EXPECT_EQ(firstMarkers.count(handle), 0u) << handle;
        }
    }

    Run("FW_Intersect_FW");
    Findings houses = Exported();
    std::set<std::pair<std::string, std::string>> overlapping;
    for (const Finding& f : houses["房屋相交"]) {
        EXPECT_NE(f.text.find("两房屋相交,有公共面积."), std::string::npos) << f.text;
        ASSERT_EQ(f.handles.size(), 2u);
        overlapping.insert({f.handles[1], f.handles[0]});  // the later house, the one it covers
    }
    EXPECT_EQ(overlapping, faults["overlapping_house"]);
    std::set<std::pair<std::string, std::string>> open;
    for (const Finding& f : houses["房屋未闭合"]) open.insert({f.handles.at(0), ""});
    EXPECT_EQ(open, faults["open_house"]);
    EXPECT_TRUE(houses["房屋顶点过少"].empty());

    Run("TB_Intersect_TB");
    EXPECT_NE(CommandLine().find("FindZeroAreaTB"), std::string::npos) << CommandLine();
    Findings patches = Exported();
    std::set<std::pair<std::string, std::string>> over;
    for (const Finding& f : patches["图斑相交"]) {
        EXPECT_NE(f.text.find("两图斑相交,有公共面积."), std::string::npos) << f.text;
        ASSERT_EQ(f.handles.size(), 2u);
        over.insert({f.handles[1], f.handles[0]});  // the extra patch is drawn after its block's
    }
    EXPECT_EQ(over, faults["overlapping_patch"]);
    const std::vector<Finding>& islands = patches["非法岛图斑"];
    ASSERT_EQ(islands.size(), 3 * faults["island_patch"].size() + 1);
    std::set<std::pair<std::string, std::string>> touching;
    for (std::size_t i = 0; i + 1 < islands.size(); i += 3) {
        ASSERT_EQ(islands[i + 1].handles.size(), 1u) << islands[i + 1].text;
        touching.insert({islands[i + 1].handles[0], islands[i].handles.at(0)});
    }
    EXPECT_EQ(touching, faults["island_patch"]);
    EXPECT_EQ(islands.back().text, "共找到" + std::to_string(faults["island_patch"].size()) + "个非法图斑");
}

}  // namespace
