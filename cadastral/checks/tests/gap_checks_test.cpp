// The gap checks inside one host process with DeroPelgar and Tallyview, on parcels, patches and
// houses laid out by hand; findings are read back from the browser's items, markers from the
// drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "browser_findings.h"
#include "drawingutil/coded_entities.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "toolkit_fixture.h"

namespace {

using dero::testing::BrowserLine;

struct Marker {
    double x, y, radius;
    std::string layer;
};

class GapChecks : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false));
        ASSERT_TRUE(acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false));
    }

    static AcDbObjectId Outline(const std::vector<std::pair<double, double>>& points, const char* code,
                                const char* layer, const std::vector<double>& bulges = {}) {
        AcGePoint2dArray host;
        for (const auto& [x, y] : points) host.append(AcGePoint2d(x, y));
        AcGeDoubleArray b;
        for (double v : bulges) b.append(v);
        return CreateCodedPolyline(host, 0.0, 1, code, 0.0, kLightweightPolyline, layer, bulges.empty() ? nullptr : &b);
    }
    // Runs the command with its answers ("" is Enter).
    static void Run(const char* command, const std::vector<const char*>& answers = {}) {
        platform::cad::ClearCommandLine();
        resbuf* args = acutBuildList(RTSTR, command, RTNONE);
        resbuf* last = args;
        for (const char* a : answers) {
            last->rbnext = acutBuildList(RTSTR, a, RTNONE);
            last = last->rbnext;
        }
        acedCmd(args);
        acutRelRb(args);
    }
    static std::vector<Marker> Circles() {
        std::vector<Marker> found;
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* space = nullptr;
        if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return found;
        const AcDbObjectIdArray ids = space->entityIds();
        space->close();
        for (AcDbObjectId id : ids) {
            AcDbCircle* circle = nullptr;
            if (acdbOpenObject(circle, id, AcDb::kForRead) != Acad::eOk) continue;
            found.push_back({circle->center().x, circle->center().y, circle->radius(), circle->layerName()});
            circle->close();
        }
        return found;
    }
    std::vector<BrowserLine> Lines(const char* title) { return dero::testing::ExportedBrowserLines(*answers)[title]; }
};

// Parcels around x = 20: a vertex on the neighbour's side where the neighbour has none, a vertex
// 0.03 inside the neighbour's closing side, and a corner 0.05 off a corner of the parcel above.
TEST_F(GapChecks, ParcelNearMissesAndMissingVertices) {
    SetDword("dj_coorddot", 2);  // read again by the check, though the module is loaded already
    Outline({{0, 0}, {20, 0}, {20, 10}, {19.97, 15}, {20, 20}, {0, 20}}, "300000", "JZD");
    // The neighbour's side at x = 20 is its closing side.
    Outline({{20, 20}, {40, 20}, {40, 0}, {20, 0}}, "300000", "JZD");
    Outline({{0, 20}, {20.03, 20.04}, {20, 40}, {0, 40}}, "300000", "JZD");
    Outline({{100, 0}, {110, 0}, {110, 10}}, "310000", "JZD");  // no parcel code

    Run("CheckZDKongXi", {"0.1"});
    const std::vector<BrowserLine> lines = Lines("界址点间缝隙检查");
    ASSERT_EQ(lines.size(), 3u) << CommandLine();
    EXPECT_EQ(lines[0].text, "X:20.00 Y:10.00 处缺少界址点");
    EXPECT_EQ(lines[0].kind, CInfoItem::kPoint);
    EXPECT_EQ(lines[0].point, (InfoPoint{20, 10}));
    EXPECT_EQ(lines[1].text, "2: 点:(19.97, 15.00)与周围界线存在空隙,距离为0.03米");
    EXPECT_EQ(lines[2].text, "3: 点:(20.00, 20.00)与周围界址点存在空隙,距离为0.05米");
    EXPECT_NE(CommandLine().find("共查到点 3 个"), std::string::npos) << CommandLine();
    std::vector<Marker> markers = Circles();
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(lines[1].handles.size(), 1u);
    EXPECT_NEAR(markers[0].x, 19.97, 1e-12);
    EXPECT_NEAR(markers[0].y, 15.0, 1e-12);
    EXPECT_NEAR(markers[1].x, 20.0, 1e-12);
    EXPECT_NEAR(markers[1].y, 20.0, 1e-12);
    for (const Marker& m : markers) {
        EXPECT_EQ(m.layer, "error");
        EXPECT_DOUBLE_EQ(m.radius, 0.3);
    }

    // A rerun keeps only its own markers; a finer tolerance finds the missing vertex alone.
    Run("CheckZDKongXi", {"0.01"});
    EXPECT_EQ(Lines("界址点间缝隙检查").size(), 1u);
    EXPECT_TRUE(Circles().empty());
    Run("CheckZDKongXi", {""});  // Enter keeps min_dist, 0.1
    EXPECT_NE(CommandLine().find("<0.1米>"), std::string::npos) << CommandLine();
    EXPECT_EQ(Lines("界址点间缝隙检查").size(), 3u);
    EXPECT_EQ(Circles().size(), 2u);

    // Nothing usable ends the command before anything is erased or drawn.
    for (const char* bad : {"0", "-1", "nan", "inf"}) {
        Run("CheckZDKongXi", {bad});
        EXPECT_EQ(Circles().size(), 2u) << bad;
    }
    for (const std::vector<const char*>& answers :
         std::vector<std::vector<const char*>>{{"3"}, {"-1"}, {"0", "0"}, {"1", "-1"}}) {
        Run("CheckKongXi", answers);
        EXPECT_EQ(Circles().size(), 2u) << answers[0];
    }
    Run("CheckZDKongXi");  // unanswered: cancelled
    EXPECT_EQ(Circles().size(), 2u);
}

TEST_F(GapChecks, CleanNeighboursPatchesAndHouses) {
    Outline({{0, 0}, {20, 0}, {20, 20}, {0, 20}}, "300000", "JZD");
    Outline({{20, 0}, {40, 0}, {40, 20}, {20, 20}}, "300000", "JZD");
    Run("CheckZDKongXi", {"0.1"});
    std::vector<BrowserLine> lines = Lines("界址点间缝隙检查");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "检查完毕");
    EXPECT_NE(CommandLine().find("没有发现错误."), std::string::npos) << CommandLine();

    // Patches: one lacks the vertex its neighbour has on their common side.
    Outline({{100, 0}, {110, 0}, {110, 5}, {110, 10}, {100, 10}}, "310000", "DLJ");
    Outline({{110, 0}, {120, 0}, {120, 10}, {110, 10}}, "310000", "DLJ");
    Run("CheckTBKongXi", {"0.1"});
    lines = Lines("图斑间缝隙检查");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "X:110.000 Y:5.000 处缺少界址点");
    Run("CheckKongXi", {"1", "0.1"});
    lines = Lines("图斑间缝隙检查");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "X:110.000 Y:5.000 处缺少拐点");

    // Houses by their code pattern; the neighbour's side is an arc, and the vertex 0.04 off it
    // is a near miss with the outline, not with the arc's chord (0.5 away).
    Outline({{200, 0}, {210, 0}}, "141100", "JMD", {0.0, 1.0});  // the half disc of radius 5 above y = 0
    Outline({{200, 0}, {205, -5}, {210, 0}, {205, 5.04}}, "141200", "JMD");
    Outline({{300, 0}, {310, 0}, {310, 10}, {300, 10}}, "310000", "JMD");  // no house code
    Run("CheckKongXi", {"2", "0.1"});
    lines = Lines("房屋间缝隙检查");
    ASSERT_EQ(lines.size(), 1u) << (lines.empty() ? "" : lines[0].text);
    EXPECT_EQ(lines[0].text, "1: 点:(205.000, 5.040)与周围界线存在空隙,距离为0.04米");
}

}  // namespace
