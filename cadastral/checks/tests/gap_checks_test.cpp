// The gap checks inside one host process with DeroPelgar and Tallyview, on parcels, patches and
// houses laid out by hand; findings are read back from the browser's items, markers from the
// drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "cadastral/gap_fusion.h"
#include "geometry/bulge_polyline.h"
#include "geometry/curve_vertex_readers.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
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
#include "platform/cad/selection.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "toolkit_fixture.h"

namespace {

using browser_testing::BrowserLine;

struct Marker {
    double x, y, radius;
    std::string layer;
    AcDbObjectId id;
};

class GapChecks : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(NewDrawingWith({TALLYVIEW_MODULE, DEROPELGAR_MODULE}));
    }

    static AcDbObjectId Outline(const std::vector<std::pair<double, double>>& points, const char* code,
                                const char* layer, const std::vector<double>& bulges = {}) {
        AcGePoint2dArray host;
        for (const auto& [x, y] : points) host.append(AcGePoint2d(x, y));
        AcGeDoubleArray b;
        for (double v : bulges) b.append(v);
        return CreateCodedPolyline(host, 0.0, 1, code, 0.0, kLightweightPolyline, layer, bulges.empty() ? nullptr : &b);
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
            found.push_back({circle->center().x, circle->center().y, circle->radius(), circle->layerName(), id});
            circle->close();
        }
        return found;
    }
    std::vector<BrowserLine> Lines(const char* title) { return browser_testing::ExportedBrowserLines(*answers)[title]; }
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
    Outline({{300, 0}, {300, 5}, {290, 10}}, "310000", "JMD");
    Outline({{400, 0}, {410, 0}, {410, 5}, {410, 10}, {400, 10}}, "141100", "JMD");
    Outline({{410, 0}, {420, 0}, {420, 10}, {410, 10}}, "141101", "JMD");
    Run("CheckKongXi", {"2", "0.1"});
    lines = Lines("房屋间缝隙检查");
    ASSERT_EQ(lines.size(), 2u) << (lines.empty() ? "" : lines[0].text);
    EXPECT_EQ(lines[0].text, "1: 点:(205.000, 5.040)与周围界线存在空隙,距离为0.04米");
    EXPECT_EQ(lines[1].text, "X:410.000 Y:5.000 处缺少拐点");
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

struct Expected {
    double x, y, move;
};

// What a gap check must find on a town from the generator, as ezdxf reads it: moved corners with
// their moves, and vertices a neighbour lacks.
// With a checked drawing, the markers ezdxf finds on "error" in it.
void TownOracle(const std::string& dir, std::vector<Expected>& near, std::vector<Expected>& missing,
                const std::string& checked = "", std::vector<Expected>* markers = nullptr) {
    std::istringstream oracle(RunOutput("/usr/bin/python3 '" DERO_SOURCE_DIR "/cadastral/checks/tests/gap_oracle.py' '" +
                                        dir + "/town.dxf' '" + dir + "/faults.json' " + checked));
    std::string kind;
    Expected e{};
    while (oracle >> kind >> e.x >> e.y) {
        if (kind == "near" && oracle >> e.move) near.push_back(e);
        if (kind == "missing") missing.push_back(e);
        if (kind == "marker" && markers != nullptr) markers->push_back(e);
    }
}

// Matches the findings of one run with what the oracle expects: each expected place once, the
// distance as the move rounded to two decimals.
void ExpectTownFindings(const std::vector<BrowserLine>& lines, const std::vector<Expected>& near,
                        const std::vector<Expected>& missing, double tolerance) {
    const std::regex nearMiss("^(\\d+): 点:\\(([\\d.]+), ([\\d.]+)\\)与周围(界址点|界线)存在空隙,距离为([\\d.]+)米$");
    const std::regex lacking("^X:([\\d.]+) Y:([\\d.]+) 处缺少界址点$");
    std::vector<bool> nearUsed(near.size()), missingUsed(missing.size());
    for (const BrowserLine& line : lines) {
        std::smatch m;
        if (std::regex_match(line.text, m, nearMiss)) {
            const double x = std::stod(m[2]), y = std::stod(m[3]);
            bool matched = false;
            for (std::size_t i = 0; i < near.size() && !matched; ++i)
                if (!nearUsed[i] && std::hypot(near[i].x - x, near[i].y - y) < tolerance) {
                    char move[32];
                    std::snprintf(move, sizeof move, "%.2f", near[i].move);
                    EXPECT_EQ(m[5].str(), move) << line.text;
                    nearUsed[i] = matched = true;
                }
            EXPECT_TRUE(matched) << line.text;
        } else if (std::regex_match(line.text, m, lacking)) {
            const double x = std::stod(m[1]), y = std::stod(m[2]);
            bool matched = false;
            for (std::size_t i = 0; i < missing.size() && !matched; ++i)
                if (!missingUsed[i] && std::hypot(missing[i].x - x, missing[i].y - y) < 0.001)
                    missingUsed[i] = matched = true;
            EXPECT_TRUE(matched) << line.text;
        } else {
            ADD_FAILURE() << line.text;
        }
    }
    EXPECT_EQ(lines.size(), near.size() + missing.size());
}

// A town with corners moved by less than 0.1, vertices a neighbour lacks and doubled vertices,
// then with gaps of 0.2 to 0.8 as well; then the same town fused and its points snapped.
TEST_F(GapChecks, GeneratedTownFindingsFusionAndSnapping) {
    const std::string dir = Root().string();
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 11 --parcels 400 --codes '" DERO_SOURCE_DIR
                             "/samples/support/index.ini' --out '" + dir + "/town.dxf' --report '" + dir +
                             "/faults.json' --slivers 0.05 --doubled-vertices 0.05 --extra-vertices 0.05";
    ASSERT_EQ(std::system((make + " --gaps 0.05").c_str()), 0);
    std::vector<Expected> near, missing;
    TownOracle(dir, near, missing);
    ASSERT_GE(near.size(), 15u);
    ASSERT_GE(missing.size(), 8u);
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    Run("CheckZDKongXi", {"1.0"});
    ExpectTownFindings(Lines("界址点间缝隙检查"), near, missing, 1.0);
    acDocManager->closeAll();

    // As a user runs it: the cadhost program, the drawing saved and read back by ezdxf.
    ASSERT_EQ(std::system(make.c_str()), 0);
    const dero::testing::CadhostRun run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, dir, "town.dxf --support '" DERO_SOURCE_DIR "/samples/support' -c CheckZDKongXi -c 0.1 -o checked.dxf");
    ASSERT_EQ(run.status, 0) << run.err;
    near.clear();
    missing.clear();
    std::vector<Expected> saved;
    TownOracle(dir, near, missing, "'" + dir + "/checked.dxf'", &saved);
    ASSERT_GE(near.size(), 8u);
    EXPECT_NE(run.out.find("共查到点 " + std::to_string(near.size() + missing.size()) + " 个"), std::string::npos);
    EXPECT_EQ(saved.size(), near.size());
    for (const Expected& m : saved)
        EXPECT_TRUE(std::any_of(near.begin(), near.end(),
                                [&](const Expected& e) { return std::hypot(e.x - m.x, e.y - m.y) < 0.1; }));
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    std::set<AcDbObjectId> earlier;
    for (int run = 0; run < 2; ++run) {
        Run("CheckZDKongXi", {"0.1"});
        ExpectTownFindings(Lines("界址点间缝隙检查"), near, missing, 0.1);
        std::vector<Marker> markers;
        for (const Marker& m : Circles())
            if (m.layer == "error") markers.push_back(m);
        EXPECT_EQ(markers.size(), near.size());
        for (const Marker& m : markers) {
            EXPECT_FALSE(earlier.count(m.id));  // a rerun keeps only its own markers
            EXPECT_TRUE(std::any_of(near.begin(), near.end(),
                                    [&](const Expected& e) { return std::hypot(e.x - m.x, e.y - m.y) < 0.1; }));
        }
        for (const Marker& m : markers) earlier.insert(m.id);
    }

    // Fusion: nothing left to find, no vertex further than 0.1 from its parcel's outline, no
    // parcel below 3 vertices.
    struct Outline {
        geometry::PointList points;
        geometry::DoubleList bulges;
    };
    std::map<AcDbObjectId, Outline> before;
    ads_name all;
    resbuf* filter = acutBuildList(8, "JZD", RTNONE);
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, filter, all), RTNORM);
    acutRelRb(filter);
    Adesk::Int32 count = 0;
    acedSSLength(all, &count);
    for (Adesk::Int32 i = 0; i < count; ++i) {
        ads_name e;
        AcDbObjectId id;
        acedSSName(all, i, e);
        acdbGetObjectId(id, e);
        Outline o;
        if (geometry::ReadEntityVertices(id, o.points, o.bulges)) before[id] = o;
    }
    acedSSFree(all);
    AcDbObjectIdArray modified;
    cadastral::FuseBoundaryPointGaps("*polyline,jzd", "300000", modified, 3, 0.1);
    EXPECT_GE(modified.length(), static_cast<int>(missing.size()));
    for (const auto& [id, o] : before) {
        Outline now;
        ASSERT_TRUE(geometry::ReadEntityVertices(id, now.points, now.bulges));
        EXPECT_GE(now.points.size(), 3u);
        for (const geometry::Point2d& p : now.points) {
            double distance = 0;
            geometry::Point2d foot;
            ASSERT_TRUE(geometry::DistanceToBulgePolyline(o.points, o.bulges, true, p, 0.001, distance, foot));
            EXPECT_LE(distance, 0.1 + 1e-9);
        }
    }
    Run("CheckZDKongXi", {"0.1"});
    std::vector<BrowserLine> lines = Lines("界址点间缝隙检查");
    ASSERT_EQ(lines.size(), 1u) << lines[0].text;
    EXPECT_EQ(lines[0].text, "检查完毕");

    // Snapping: one point per moved corner goes onto the fused corner, none is erased.
    auto points = [] {
        int n = 0;
        for (const Marker& m : Circles()) n += m.layer == "JZP";
        return n;
    };
    const int pointsBefore = points();
    platform::cad::ClearCommandLine();
    ASSERT_TRUE(cadastral::SnapPointsToLines("circle,jzp", "301000", "*polyline,jzd", "300000", 0.25));
    EXPECT_NE(CommandLine().find("当前图上有" + std::to_string(near.size()) + "个界址点位置被修正."), std::string::npos)
        << CommandLine();
    EXPECT_EQ(points(), pointsBefore);
}

}  // namespace
