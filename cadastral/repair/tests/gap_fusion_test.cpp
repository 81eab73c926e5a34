// Gap fusion and the snapping of boundary points, called directly in a host process with
// Tallyview loaded; the moved vertices are read back from the drawing and the reports from the
// browser's items.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../src/fusable_outlines.h"
#include "browser/exported_items.h"
#include "cadastral/attribute_data.h"
#include "cadastral/entity_selection.h"
#include "cadastral/gap_fusion.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/text_entities.h"
#include "geometry/curve_vertex_readers.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
#include "testing/temp_folder.h"
#include "toolkit_fixture.h"

namespace {

using namespace cadastral;
using browser_testing::BrowserLine;
using geometry::Point2d;
using geometry::PointList;

class GapFusion : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(NewDrawingWith({TALLYVIEW_MODULE}));
    }
    static AcDbObjectId Outline(const PointList& points, const char* code, const char* layer) {
        AcGePoint2dArray host;
        for (const Point2d& p : points) host.append(AcGePoint2d(p.x, p.y));
        return CreateCodedPolyline(host, 0.0, 1, code, 0.0, kLightweightPolyline, layer);
    }
    static PointList Vertices(AcDbObjectId id) {
        PointList points;
        geometry::ReadEntityPoints(id, points);
        return points;
    }
    static bool Has(const PointList& points, Point2d p) {
        return std::any_of(points.begin(), points.end(), [&](const Point2d& q) {
            return std::abs(q.x - p.x) < 1e-9 && std::abs(q.y - p.y) < 1e-9;
        });
    }
    // A boundary point with its prefix and number, and its label beside it.
    static AcDbObjectId Point(Point2d at, int number, bool labelled = true) {
        const AcDbObjectId id = CreateCodedCircle(AcGePoint3d(at.x, at.y, 0), 0.2, "301000", nullptr, "JZP");
        resbuf prefix{};
        prefix.restype = RTSTR;
        prefix.resval.rstring = const_cast<char*>("J");
        AddEntityXData(id, "MIRET", prefix, true, 0);
        resbuf value{};
        value.restype = RTLONG;
        value.resval.rlong = number;
        AddEntityXData(id, "MIRET", value, true, 0);
        if (labelled) Label(at, "J" + std::to_string(number));
        return id;
    }
    static AcDbObjectId Label(Point2d at, const std::string& text) {
        return CreateText(AcGePoint3d(at.x + 0.5, at.y + 0.5, 0), text.c_str(), "", "301001", 1.5, "JZP", 0, 0,
                          nullptr);
    }
    static bool Erased(AcDbObjectId id) {
        AcDbObject* object = nullptr;
        if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) return true;
        object->close();
        return false;
    }
    static Point2d Centre(AcDbObjectId id) {
        AcDbCircle* circle = nullptr;
        if (acdbOpenObject(circle, id, AcDb::kForRead) != Acad::eOk) return {-1, -1};
        const Point2d c{circle->center().x, circle->center().y};
        circle->close();
        return c;
    }
    std::vector<BrowserLine> Lines(const char* title) { return browser_testing::ExportedBrowserLines(*answers)[title]; }
};

TEST_F(GapFusion, CornersMeetAndSidesGainVertices) {
    // Corners 0.03 apart meet at their midpoint, with one report at the neighbour's corner.
    const AcDbObjectId left = Outline({{0, 0}, {20, 0}, {20, 20}, {0, 20}}, "300000", "JZD");
    const AcDbObjectId right = Outline({{20.03, 0}, {40, 0}, {40, 20}, {20, 20}}, "300000", "JZD");
    // A vertex 0.02 inside a side that lacks one, away from the first pair.
    const AcDbObjectId lower = Outline({{100, 0}, {120, 0}, {119.98, 10}, {120, 20}, {100, 20}}, "300000", "JZD");
    const AcDbObjectId upper = Outline({{120, 20}, {140, 20}, {140, 0}, {120, 0}}, "300000", "JZD");
    Outline({{200, 0}, {210, 0}, {210, 10}}, "300000", "JZD");  // alone: left as it is
    AcDbObjectIdArray modified;
    FuseBoundaryPointGaps("*polyline,jzd", "300000", modified, 3, 0.05);

    EXPECT_TRUE(Has(Vertices(left), {20.015, 0}));
    EXPECT_TRUE(Has(Vertices(right), {20.015, 0}));
    EXPECT_EQ(Vertices(right).size(), 4u);
    const PointList moved = Vertices(upper);
    ASSERT_EQ(moved.size(), 5u);
    EXPECT_TRUE(Has(moved, {119.99, 10}));
    EXPECT_TRUE(Has(Vertices(lower), {119.99, 10}));
    EXPECT_TRUE(std::find(modified.begin(), modified.end(), upper) != modified.end());
    EXPECT_EQ(Vertices(left).size(), 4u);
    EXPECT_TRUE(Has(Vertices(left), {0, 0}) && Has(Vertices(left), {20, 20}));

    std::vector<BrowserLine> lines = Lines(kBoundaryFusionTitle);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "成功融合 X:20.030 Y:0.000 处 0.03 空隙");
    EXPECT_EQ(lines[0].point, (InfoPoint{20.03, 0}));

    // Run again: nothing is left to fuse; mode 1 does not reach a side.
    modified.setLogicalLength(0);
    const AcDbObjectId third = Outline({{300, 0}, {320, 0}, {319.98, 10}, {320, 20}, {300, 20}}, "300000", "JZD");
    const AcDbObjectId fourth = Outline({{320, 20}, {340, 20}, {340, 0}, {320, 0}}, "300000", "JZD");
    FuseBoundaryPointGaps("*polyline,jzd", "300000", modified, 1, 0.05);
    lines = Lines(kBoundaryFusionTitle);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "检查完毕");
    EXPECT_TRUE(modified.isEmpty());
    EXPECT_EQ(Vertices(fourth).size(), 4u);
    EXPECT_TRUE(Has(Vertices(third), {319.98, 10}));

    // A distance that is no number above 0 leaves the drawing and the browser alone.
    for (double bad : {0.0, -1.0, std::nan("")}) {
        FuseBoundaryPointGaps("*polyline,jzd", "300000", modified, 3, bad);
        EXPECT_EQ(Vertices(fourth).size(), 4u);
    }
}

TEST_F(GapFusion, NeighboursAreThoseTheHostWouldSelect) {
    // An arc bulging 2 units out of its chord passes 0.03 from a corner: the side gains a vertex.
    AcGePoint2dArray ring;
    for (const Point2d& p : PointList{{0, 0}, {10, 0}, {10, 10}, {0, 10}}) ring.append(AcGePoint2d(p.x, p.y));
    AcGeDoubleArray bulges;
    for (double b : {0.0, 0.4, 0.0, 0.0}) bulges.append(b);
    const AcDbObjectId arc = CreateCodedPolyline(ring, 0.0, 1, "300000", 0.0, kLightweightPolyline, "JZD", &bulges);
    const PointList before = Vertices(arc);
    const AcDbObjectId beside = Outline({{12.03, 5}, {20, 0}, {20, 10}}, "300000", "JZD");
    // Corners 0.03 apart where one parcel lies on a layer turned off: no window sees it, so
    // nothing fuses and nothing is reported there.
    const AcDbObjectId shown = Outline({{100, 0}, {120, 0}, {120, 20}, {100, 20}}, "300000", "JZD");
    const AcDbObjectId hidden = Outline({{120.03, 0}, {140, 0}, {140, 20}, {120, 20}}, "300000", "HIDDEN");
    // Another class far round them all, so that every parcel lies well inside the view.
    Outline({{-100, -100}, {300, -100}, {300, 200}, {-100, 200}}, "300001", "JZD");
    AcDbLayerTable* table = nullptr;
    ASSERT_EQ(acdbHostApplicationServices()->workingDatabase()->getLayerTable(table, AcDb::kForRead), Acad::eOk);
    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(table->getAt("HIDDEN", layer, AcDb::kForWrite), Acad::eOk);
    layer->setIsOff(true);
    layer->close();
    table->close();
    AcDbObjectIdArray modified;
    FuseBoundaryPointGaps("*polyline,", "300000", modified, 3, 0.05);

    EXPECT_EQ(Vertices(arc).size(), before.size() + 1);
    EXPECT_TRUE(std::find(modified.begin(), modified.end(), arc) != modified.end());
    EXPECT_FALSE(Has(Vertices(beside), {12.03, 5}));
    EXPECT_TRUE(Has(Vertices(shown), {120, 0}));
    EXPECT_TRUE(Has(Vertices(hidden), {120.03, 0}));
    EXPECT_TRUE(std::find(modified.begin(), modified.end(), shown) == modified.end());
    for (const BrowserLine& line : Lines(kBoundaryFusionTitle)) EXPECT_EQ(line.text.find("X:120"), std::string::npos);
}

TEST_F(GapFusion, SecondClassMovesAroundTheFirst) {
    const AcDbObjectId patch = Outline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, "310000", "DLJ");
    // A lone district corner 0.03 off the patch corner stays, and is reported.
    const AcDbObjectId district = Outline({{10.03, 0}, {30, 0}, {30, 10}, {10, 10}}, "321000", "XZQ");
    // Two district corners about the patch's corner (0, 10) meet at their mean; the patch stays.
    const AcDbObjectId west = Outline({{-20, 10}, {-0.02, 10.02}, {-20, 30}}, "321000", "XZQ");
    const AcDbObjectId north = Outline({{0.02, 10.02}, {0, 30}, {-10, 30}}, "321000", "XZQ");
    AcDbObjectIdArray modified;
    FusePatchDistrictGaps("*polyline,dlj", "310000", "*polyline,xzq", "321000", modified, 3, 0.05);
    EXPECT_TRUE(Has(Vertices(district), {10.03, 0}));
    EXPECT_TRUE(Has(Vertices(patch), {10, 0}));
    EXPECT_TRUE(Has(Vertices(patch), {0, 10}));
    EXPECT_TRUE(Has(Vertices(west), {0, 10.02}));
    EXPECT_TRUE(Has(Vertices(north), {0, 10.02}));
    const std::vector<BrowserLine> lines = Lines(kPatchDistrictFusionTitle);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, "成功融合 X:10.030 Y:0.000 处 0.03 空隙");
}

TEST_F(GapFusion, PointsSnapOntoParcelCorners) {
    Outline({{0, 0}, {20, 0}, {20, 20}, {0, 20}}, "300000", "JZD");
    const AcDbObjectId on = Point({0, 0}, 1);
    const AcDbObjectId off = Point({20.1, 0}, 2);
    const AcDbObjectId near = Point({20.1, 20.05}, 3);
    const AcDbObjectId far = Point({50, 50}, 4, false);
    const AcDbObjectId farLabel = Label({50, 50}, "j4");  // the label compares without case
    const AcDbObjectId otherLabel = Label({50.2, 50}, "J5");
    // The nearer of two circles goes to the corner (20, 20); the other one is left off every
    // corner and goes with its label.
    const AcDbObjectId nearer = Point({20.05, 20.0}, 6);

    ASSERT_TRUE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300000", 0.25));
    EXPECT_NE(CommandLine().find("当前图上有2个界址点位置被修正."), std::string::npos) << CommandLine();
    EXPECT_EQ(Centre(on), (Point2d{0, 0}));
    EXPECT_EQ(Centre(off), (Point2d{20, 0}));
    EXPECT_EQ(Centre(nearer), (Point2d{20, 20}));
    EXPECT_TRUE(Erased(near));
    EXPECT_TRUE(Erased(far));
    EXPECT_TRUE(Erased(farLabel));
    EXPECT_FALSE(Erased(otherLabel));

    // Without any circle on a corner nothing is erased.
    platform::cad::ClearCommandLine();
    const AcDbObjectId alone = Point({150, 150}, 7);
    Outline({{100, 100}, {120, 100}, {120, 120}}, "300001", "JZD");
    ASSERT_TRUE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300001", 0.25));
    EXPECT_NE(CommandLine().find("当前图上有0个界址点位置被修正."), std::string::npos) << CommandLine();
    EXPECT_FALSE(Erased(alone));
    EXPECT_FALSE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "399999", 0.25));
    EXPECT_FALSE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300000", 0.0));
    EXPECT_FALSE(Erased(alone));
}

TEST_F(GapFusion, PointsSnapWhereTheHostsWindowWouldTakeThem) {
    Outline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, "300000", "JZD");
    // Another class far round it, so that every circle is well in sight.
    Outline({{-100, -100}, {200, -100}, {200, 200}, {-100, 200}}, "300001", "JZD");
    auto circle = [](Point2d at, double radius) {
        return CreateCodedCircle(AcGePoint3d(at.x, at.y, 0), radius, "301000", nullptr, "JZP");
    };
    // Each corner's window reaches 0.25 round it. A circle of that radius round the corner
    // touches all four sides; one centred inside but holding the whole window never enters it;
    // one centred outside passes through it but is no point of that corner.
    const AcDbObjectId round = circle({0, 0}, 0.25);
    const AcDbObjectId around = circle({100.01, 0}, 1.0);
    const AcDbObjectId through = circle({100.3, 100}, 0.2);
    // Two as near as each other: the first drawn goes, the other one is left off every corner.
    const AcDbObjectId first = circle({0.1, 100}, 0.2);
    const AcDbObjectId second = circle({-0.1, 100}, 0.2);

    ASSERT_TRUE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300000", 0.25));
    EXPECT_NE(CommandLine().find("当前图上有1个界址点位置被修正."), std::string::npos) << CommandLine();
    EXPECT_FALSE(Erased(round));
    EXPECT_EQ(Centre(round), (Point2d{0, 0}));
    EXPECT_TRUE(Erased(around));
    EXPECT_TRUE(Erased(through));
    EXPECT_EQ(Centre(first), (Point2d{0, 100}));
    EXPECT_TRUE(Erased(second));

    // Centred in the square, a circle whose box reaches across the window's edges crosses the
    // window: it goes to its corner.
    Outline({{50, 50}, {70, 50}, {70, 70}}, "300004", "JZD");
    const AcDbObjectId straddling = circle({50.1, 50.05}, 0.3);
    ASSERT_TRUE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300004", 0.25));
    EXPECT_EQ(Centre(straddling), (Point2d{50, 50}));

    // Near a window's edge: a circle touching a side from outside is in the window but centred
    // off the square, one whose box only overlaps a corner is not in it; both go.
    Outline({{20, 80}, {40, 80}, {40, 90}}, "300003", "JZD");
    const AcDbObjectId touchingOutside = circle({40.45, 80}, 0.2);
    const AcDbObjectId pastCorner = circle({20.4, 80.4}, 0.2);
    const AcDbObjectId stay = circle({40, 90}, 0.2);
    ASSERT_TRUE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300003", 0.25));
    EXPECT_TRUE(Erased(touchingOutside));
    EXPECT_TRUE(Erased(pastCorner));
    EXPECT_FALSE(Erased(stay));

    // A circle the view does not show is in no window: it stays off its corner and goes.
    Outline({{20, 20}, {60, 20}, {60, 60}}, "300002", "JZD");
    const AcDbObjectId hidden = circle({20.05, 20}, 0.2);
    const AcDbObjectId shown = circle({60.05, 20}, 0.2);
    {
        AcDbEntity* entity = nullptr;
        ASSERT_EQ(acdbOpenObject(entity, hidden, AcDb::kForWrite), Acad::eOk);
        entity->setVisibility(AcDb::kInvisible);
        entity->close();
    }
    ASSERT_TRUE(SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300002", 0.25));
    EXPECT_TRUE(Erased(hidden));
    EXPECT_EQ(Centre(shown), (Point2d{60, 20}));
}

TEST_F(GapFusion, OutlinesReadAgainHoldOnlyTheLastRead) {
    const AcDbObjectId first = Outline({{0, 0}, {10, 0}, {10, 10}}, "300000", "JZD");
    const AcDbObjectId east = Outline({{100, 0}, {110, 0}, {110, 10}}, "300001", "JZD");
    Outline({{200, 0}, {210, 0}, {210, 10}}, "300001", "JZD");
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    drawingutil::Chain filter(BuildEntityFilter("*polyline,jzd"));
    FusableOutlines outlines;
    outlines.Load(filter.get(), "300000");
    ASSERT_EQ(outlines.Find(first), 0);
    outlines.Load(filter.get(), "300001");
    EXPECT_EQ(outlines.Find(first), -1);
    ASSERT_EQ(outlines.Find(east), 0);
    std::vector<int> near;
    outlines.Near({100, 0}, 1.0, near);
    EXPECT_EQ(near, std::vector<int>{0});
    outlines.Near({0, 0}, 1.0, near);
    EXPECT_TRUE(near.empty());
}

// CombineZD on a town with gaps, once with ids that follow drawing order and once with ids that
// run against it: the drawings saved and the command lines are the same.
TEST(GapFusionRun, IdsAgainstDrawingOrderFuseAndSnapAlike) {
    dero::testing::TempFolder folder("fusion_id_order");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string source = DERO_SOURCE_DIR;
    const std::string make = std::string(MAKEDRAWING_PROGRAM) + " --out " + dir + "/town.dxf --report " + dir +
                             "/town.json --parcels 400 --seed 5 --gaps 0.4 --slivers 0.3 --codes " + source +
                             "/samples/support/index.ini";
    ASSERT_EQ(std::system(make.c_str()), 0);
    dero::testing::WriteFile(dir + "/yes.txt", "box yes\n");
    std::string outputs[2], lines[2];
    for (int reversed = 0; reversed < 2; ++reversed) {
        const std::string out = dir + (reversed ? "/reversed.dxf" : "/created.dxf");
        const std::string args = std::string(reversed ? "DERO_ID_ORDER=reversed '" : "-u DERO_ID_ORDER '") +
                                 CADHOST_PROGRAM + "' " + dir + "/town.dxf --support '" + source +
                                 "/samples/support' -c CombineZD -c 0.1 --answers yes.txt -o " + out;
        const dero::testing::CadhostRun run = dero::testing::RunCadhost("/usr/bin/env", dir, args);
        ASSERT_EQ(run.status, 0) << run.err;
        ASSERT_NE(run.out.find("操作完成!"), std::string::npos) << run.out;
        outputs[reversed] = dero::testing::ReadFile(out);
        lines[reversed] = run.out;
    }
    EXPECT_FALSE(outputs[0].empty());
    EXPECT_TRUE(outputs[0] == outputs[1]);
    EXPECT_EQ(lines[0], lines[1]);
}

}  // namespace
