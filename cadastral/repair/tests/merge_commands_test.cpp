// The merge commands' dialogue and the face tags of the parcels inside a parcel, run as the user
// runs them in a host process with DeroPelgar and Tallyview loaded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cadastral/merge_commands.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "geometry/curve_vertex_readers.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/selection.h"
#include "platform/cad/system_variables.h"
#include "platform/ui/messages.h"
#include "testing/files.h"
#include "testing/temp_folder.h"
#include "toolkit_fixture.h"

namespace {

using geometry::Point2d;
using geometry::PointList;

class MergeCommands : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(NewDrawingWith({TALLYVIEW_MODULE, DEROPELGAR_MODULE}));
        resbuf scale;
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        acedSetVar("USERR1", &scale);
    }
    static AcDbObjectId Outline(const PointList& points, const char* code, const char* layer) {
        AcGePoint2dArray host;
        for (const Point2d& p : points) host.append(AcGePoint2d(p.x, p.y));
        return CreateCodedPolyline(host, 0.0, 1, code, 0.0, kLightweightPolyline, layer);
    }
    // A square of side 10 at (x, y), its south-west corner moved by `off` to the east.
    static AcDbObjectId Square(double x, double y, const char* code, const char* layer, double off = 0) {
        return Outline({{x + off, y}, {x + 10, y}, {x + 10, y + 10}, {x, y + 10}}, code, layer);
    }
    static Point2d First(AcDbObjectId id) {
        PointList points;
        if (!geometry::ReadEntityPoints(id, points) || points.empty()) return {-1, -1};
        return points.front();
    }
    static void Run(const char* command, const std::vector<const char*>& answers = {}) {
        platform::ui::ClearTranscript();
        ToolkitTest::Run(command, answers);
    }
    void Confirm(bool yes) { answers->Push(platform::ui::BoxAnswer(yes ? IDYES : IDNO)); }
    bool Said(const std::string& text) const { return CommandLine().find(text) != std::string::npos; }
    // Prompts, as the transcript records them.
    static bool Asked(const std::string& text) {
        std::string quoted;
        for (char c : text) quoted += c == '\n' ? std::string("\\n") : std::string(1, c);
        return Transcript().find(quoted) != std::string::npos;
    }
    static long Tag(AcDbObjectId id) {
        ads_name name;
        long tag = -1;
        if (acdbGetAdsName(name, id) == Acad::eOk) GetXDataLong(name, "HH", tag);
        return tag;
    }
};

TEST_F(MergeCommands, DistanceIsAskedCheckedAndConfirmed) {
    // Patches whose corners lie 0.15 apart, on the patch layer and elsewhere.
    Square(0, 0, "310000", "DLJ");
    const AcDbObjectId east = Square(10, 0, "310000", "TB", 0.15);

    // Enter takes min_dist; 0.1 does not reach the gap.
    Confirm(true);
    Run("CombineTB", {""});
    EXPECT_TRUE(Asked("\n请输入图斑融合的最小距离,<0.1米>:")) << Transcript();
    EXPECT_NE(Transcript().find("您确定要把距离小于 0.100000 米的图斑顶点融合吗?"), std::string::npos) << Transcript();
    EXPECT_EQ(answers->Pending(), 0u);
    EXPECT_DOUBLE_EQ(First(east).x, 10.15);

    // 0.2 is too far for parcels, not for patches; No leaves them apart.
    Run("CombineZD", {"0.2"});
    EXPECT_TRUE(Said("\n界址点融合的距离不能大于0.1米,也不能小于0米!")) << CommandLine();
    EXPECT_FALSE(Said("操作完成"));
    Confirm(false);
    Run("CombineTB", {"0.2"});
    EXPECT_TRUE(Said("\n操作被放弃!")) << CommandLine();
    EXPECT_EQ(answers->Pending(), 0u);
    EXPECT_DOUBLE_EQ(First(east).x, 10.15);
    Confirm(true);
    Run("CombineTB", {"0.2"});
    EXPECT_NEAR(First(east).x, 10.075, 1e-9);

    // Nothing at or below 0, and nothing above 1, passes any of them; no question is asked.
    for (const char* bad : {"0", "-0.05", "1.5"}) {
        Run("CombineTB", {bad});
        EXPECT_TRUE(Said("\n整合的最小距离不能大于1米,也不能小于0米.")) << bad;
        Run("CombineZD", {bad});
        EXPECT_TRUE(Said("\n界址点融合的距离不能大于0.1米,也不能小于0米!")) << bad;
        Run("Combinetbxzq", {bad});
        EXPECT_TRUE(Said("\n融合的最小距离不能大于1米,也不能小于0米.")) << bad;
        Run("CombinePoly", {"", bad});
        EXPECT_TRUE(Said("\n融合的最小距离不能大于1米,也不能小于0米.")) << bad;
    }
    EXPECT_FALSE(Said("操作被放弃"));
    EXPECT_NEAR(First(east).x, 10.075, 1e-9);
}

TEST_F(MergeCommands, CombinePolyChoosesItsClassByNumber) {
    const AcDbObjectId patch = Square(10, 0, "310000", "DLJ", 0.05);
    Square(0, 0, "310000", "DLJ");
    const AcDbObjectId house = Square(110, 0, "141100", "JMD", 0.05);
    Square(100, 0, "141200", "JMD");
    const AcDbObjectId strayPatch = Square(210, 0, "310000", "TB", 0.05);  // not on the patch layer
    Square(200, 0, "310000", "TB");

    Run("CombinePoly", {"3"});
    EXPECT_FALSE(Asked("融合的最小距离")) << Transcript();
    Confirm(true);
    Run("CombinePoly", {"", ""});
    EXPECT_TRUE(Asked("\n请输入 图斑 融合的最小距离,<0.1米>:")) << Transcript();
    EXPECT_NE(Transcript().find("您确定要把距离小于 0.100000 米的 图斑 顶点融合吗?"), std::string::npos);
    EXPECT_NEAR(First(patch).x, 10.025, 1e-9);
    EXPECT_DOUBLE_EQ(First(house).x, 110.05);
    EXPECT_DOUBLE_EQ(First(strayPatch).x, 210.05);
    Confirm(true);
    Run("CombinePoly", {"2", "0.5"});
    EXPECT_TRUE(Asked("\n请输入 房屋 融合的最小距离,<0.1米>:")) << Transcript();
    EXPECT_NEAR(First(house).x, 110.025, 1e-9);

    // District corners meet about a patch's corner; the patch keeps it.
    const AcDbObjectId district = Square(310, 0, "321000", "XZQ", 0.05);
    const AcDbObjectId west = Outline({{309.97, 0}, {300, -20}, {290, -20}}, "321000", "XZQ");
    const AcDbObjectId anchor = Square(300, 0, "310000", "DLJ");
    Confirm(true);
    Run("Combinetbxzq", {"0.5"});
    EXPECT_TRUE(Asked("\n请输入 图斑、行政区 融合的最小距离,<0.1米>:")) << Transcript();
    EXPECT_NEAR(First(district).x, 310.01, 1e-9);
    EXPECT_NEAR(First(west).x, 310.01, 1e-9);
    EXPECT_DOUBLE_EQ(First(anchor).x, 300);
    EXPECT_EQ(answers->Pending(), 0u);
}

// The parcels inside a parcel: the face list agrees with GEOS polygonize of their outlines, each
// parcel carries its own face's number plus 2, other codes and a parcel with no inside stay
// untagged.
TEST_F(MergeCommands, ParcelsInsideAParcelCarryTheirFaces) {
    const AcDbObjectId outer = Outline({{-50, -50}, {150, -50}, {150, 100}, {-50, 100}}, "300000", "JZD");
    // The origin lies inside the first: a parcel whose inside cannot be found must not take its face.
    const std::vector<PointList> rings = {{{-10, -10}, {40, -10}, {40, 40}, {-10, 40}},
                                          {{60, 10}, {90, 10}, {95, 25}, {90, 40}, {60, 40}}};
    std::vector<AcDbObjectId> inner;
    for (const PointList& ring : rings) inner.push_back(Outline(ring, "300000", "JZD"));
    const AcDbObjectId flat = Outline({{10, 60}, {20, 60}, {30, 60}, {40, 60}}, "300000", "JZD");
    const AcDbObjectId other = Outline({{60, 60}, {90, 60}, {90, 90}, {60, 90}}, "300001", "JZD");
    const AcDbObjectId outside = Outline({{200, 0}, {210, 0}, {210, 10}}, "300000", "JZD");

    answers->Push(platform::ui::PromptAnswer(std::string(outer.handle().text()) + " 0,0"));
    Run("testqzj");
    EXPECT_EQ(answers->Pending(), 0u);
    EXPECT_EQ(Tag(other), -1);
    EXPECT_EQ(Tag(outside), -1);
    EXPECT_EQ(Tag(outer), -1);
    EXPECT_EQ(Tag(flat), -1);
    ASSERT_NE(Tag(inner[0]), -1);
    ASSERT_NE(Tag(inner[1]), -1);
    EXPECT_NE(Tag(inner[0]), Tag(inner[1]));

    // The same parcels through the worker: its faces against GEOS.
    ads_name selection;
    ASSERT_EQ(acedSSAdd(nullptr, nullptr, selection), RTNORM);
    for (AcDbObjectId id : {inner[0], inner[1], flat, other}) {
        ads_name name;
        ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
        acedSSAdd(name, selection, selection);
    }
    std::vector<PointList> faces;
    cadastral::CheckParcelBoundaryPoints(selection, faces);
    acedSSFree(selection);
    dero::testing::TempFolder folder("parcel_faces");
    std::string lines;
    auto write = [&](const char* kind, const PointList& ring, long tag) {
        lines += kind + std::string(" ") + std::to_string(tag);
        char number[64];
        for (const Point2d& p : ring) {
            std::snprintf(number, sizeof number, " %.17g %.17g", p.x, p.y);
            lines += number;
        }
        lines += "\n";
    };
    for (std::size_t i = 0; i < rings.size(); ++i) write("parcel", rings[i], Tag(inner[i]));
    for (const PointList& face : faces) write("face", face, 0);
    dero::testing::WriteFile(folder.path() + "/faces.txt", lines);
    const std::string check = "/usr/bin/python3 " DERO_SOURCE_DIR "/cadastral/repair/tests/polygonize_faces.py '" +
                              folder.path() + "/faces.txt' > '" + folder.path() + "/check.txt' 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << dero::testing::ReadFile(folder.path() + "/check.txt") << lines;
}

// Above 400 rings the face building shows its meter on the status bar and puts it away again.
TEST_F(MergeCommands, FacesOfManyParcelsShowTheCuttingMeter) {
    // The outline, narrowed by the selection, holds 401 small parcels but not itself.
    const AcDbObjectId outer = Outline({{-3, -3}, {45, -3}, {45, 45}, {-3, 45}}, "300000", "JZD");
    for (int k = 0; k < 401; ++k) {
        const double x = 2.0 * (k % 21), y = 2.0 * (k / 21);
        Outline({{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}}, "300000", "JZD");
    }
    answers->Push(platform::ui::PromptAnswer(std::string(outer.handle().text()) + " 0,0"));
    Run("testqzj");
    EXPECT_NE(Transcript().find("progress \"正在切割...\" 0..401\nprogress done at 400\n"), std::string::npos)
        << Transcript();
    EXPECT_FALSE(platform::cad::ProgressMeter().shown);
}

// A town whose corners were moved 0.01 to 0.09 off their nodes, annotated and then merged at 0.1:
// ezdxf finds the moved corners back on their neighbours', the boundary points on vertices, and
// the parcels that gained a vertex with one fresh text per edge.
TEST_F(MergeCommands, SliverTownClosesAndIsAnnotatedAgain) {
    dero::testing::TempFolder folder("sliver_merge");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string source = DERO_SOURCE_DIR;
    const std::string make = std::string(MAKEDRAWING_PROGRAM) + " --out " + dir + "/town.dxf --report " + dir +
                             "/town.json --parcels 120 --seed 7 --slivers 0.4 --extra-vertices 0.2 --lightweight-parcels 0.3 --codes " +
                             source + "/samples/support/index.ini";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::string oracle = "/usr/bin/python3 " + source + "/cadastral/checks/tests/gap_oracle.py " + dir +
                               "/town.dxf " + dir + "/town.json > " + dir + "/near.txt";
    ASSERT_EQ(std::system(oracle.c_str()), 0);
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    Run("drawzdlen", {""});
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    ASSERT_EQ(db->dxfOut((dir + "/annotated.dxf").c_str()), Acad::eOk);
    Confirm(true);
    Run("CombineZD", {"0.1"});
    EXPECT_TRUE(Said("操作完成!")) << CommandLine();
    ASSERT_EQ(db->dxfOut((dir + "/merged.dxf").c_str()), Acad::eOk);
    const std::string check = "cd '" + dir + "' && /usr/bin/python3 " + source +
                              "/cadastral/repair/tests/check_sliver_merge.py near.txt annotated.dxf merged.dxf" +
                              " > check.txt 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << dero::testing::ReadFile(dir + "/check.txt");
}

// A town with gaps merged at 0.1: ezdxf finds every boundary point kept, and each that stood on a
// vertex no farther off it than the merge moved the vertex and within the snapping square.
TEST_F(MergeCommands, BoundaryPointsStayOnTheirCorners) {
    dero::testing::TempFolder folder("gap_merge");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string source = DERO_SOURCE_DIR;
    const std::string make = std::string(MAKEDRAWING_PROGRAM) + " --out " + dir + "/town.dxf --report " + dir +
                             "/town.json --parcels 600 --seed 11 --gaps 0.4 --codes " + source +
                             "/samples/support/index.ini";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    ASSERT_EQ(db->dxfOut((dir + "/before.dxf").c_str()), Acad::eOk);
    Confirm(true);
    Run("CombineZD", {"0.1"});
    EXPECT_TRUE(Said("操作完成!")) << CommandLine();
    ASSERT_EQ(db->dxfOut((dir + "/after.dxf").c_str()), Acad::eOk);
    const std::string check = "cd '" + dir + "' && /usr/bin/python3 " + source +
                              "/cadastral/repair/tests/check_snapped_points.py before.dxf after.dxf 0.25 > check.txt 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << dero::testing::ReadFile(dir + "/check.txt");
}

}  // namespace
