// Repeated polyline vertices and boundary-point number prefixes, run in process on drawings built
// here, and DELELELASTSAMEPT run by the cadhost program on a generated town checked with ezdxf.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>
#include <string>

#include "cadastral/number_prefix.h"
#include "cadastral/repeated_vertices.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/curve_measures.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"
#include "platform/cad/ads_entity.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/text_entities.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_text.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/selection.h"
#include "testing/cadhost_run.h"
#include "testing/files.h"
#include "testing/temp_folder.h"
#include "toolkit_fixture.h"

namespace {

AcGePoint2dArray Points(std::initializer_list<std::pair<double, double>> xy)
{
    AcGePoint2dArray points;
    for (auto [x, y] : xy)
        points.append(AcGePoint2d(x, y));
    return points;
}

std::set<std::size_t> Indexes(const std::vector<cadastral::RepeatedVertex>& found)
{
    std::set<std::size_t> indexes;
    for (const auto& r : found)
        indexes.insert(r.index);
    return indexes;
}

TEST(RepeatedVertices, OnlyVerticesOnTheirPredecessorGoAndNeverTooMany)
{
    using cadastral::FindRepeatedVertices;
    // A closed ring stored with its first point again at the end loses that last vertex, whose
    // incoming segment is the real one.
    auto found = FindRepeatedVertices(Points({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0.001, 0}}), true, 0.003);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].index, 4u);
    EXPECT_FALSE(found[0].mergeBulge);
    // An open polyline may end where it began.
    EXPECT_TRUE(FindRepeatedVertices(Points({{0, 0}, {10, 0}, {10, 10}, {0, 0}}), false, 0.003).empty());
    // Two points 0.002 apart in the middle: the second goes; 0.003 apart is not below the threshold.
    found = FindRepeatedVertices(Points({{0, 0}, {5, 0}, {5.002, 0}, {10, 0}, {10, 0.003}}), false, 0.003);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].index, 2u);
    EXPECT_TRUE(found[0].mergeBulge);
    // A run of close points keeps its first; the last goes once although both of its pairs are close.
    EXPECT_EQ(Indexes(FindRepeatedVertices(Points({{0, 0}, {9, 0}, {9, 9}, {0, 9}, {0.001, 9}, {0.001, 0.001}}),
                                           true, 0.003)),
              (std::set<std::size_t>{4, 5}));
    // Tiny rings keep 2 vertices when open, 3 when closed.
    EXPECT_EQ(FindRepeatedVertices(Points({{0, 0}, {0.001, 0}, {0.002, 0}}), false, 0.003).size(), 1u);
    EXPECT_TRUE(FindRepeatedVertices(Points({{0, 0}, {0.001, 0}, {0.001, 0.001}}), true, 0.003).empty());
    EXPECT_EQ(FindRepeatedVertices(Points({{0, 0}, {0.001, 0}, {0.001, 0.001}, {0, 0.001}}), true, 0.003).size(), 1u);
}

TEST(NumberPrefix, TheTextAfterTheLastLetterCountedByCharacters)
{
    std::string out;
    cadastral::StripNumberPrefix("J12", out);
    EXPECT_EQ(out, "12");
    cadastral::StripNumberPrefix("12", out);
    EXPECT_EQ(out, "12");
    cadastral::StripNumberPrefix("东区Jb7", out);
    EXPECT_EQ(out, "7");
    cadastral::StripNumberPrefix("", out);
    EXPECT_EQ(out, "");
    // The second byte of this character is "J" in ASCII; the character is no letter.
    cadastral::StripNumberPrefix("\xb0\x4a" "5", out);
    EXPECT_EQ(out, "\xb0\x4a" "5");
    cadastral::StripNumberPrefix("G\xb0\x4a" "5", out);
    EXPECT_EQ(out, "\xb0\x4a" "5");
}

class PointCleanupTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    }

    static bool Name(AcDbObjectId id, ads_name name) { return acdbGetAdsName(name, id) == Acad::eOk; }
    static int VertexCount(AcDbObjectId id)
    {
        ads_name name;
        AcGePoint2dArray points;
        return Name(id, name) && GetCurvePoints(name, points, 0) ? points.length() : -1;
    }
    static double Area(AcDbObjectId id)
    {
        ads_name name;
        double area = -1;
        if (!Name(id, name) || !GetCurveArea(name, area))
            return -1;
        return area;
    }
    static std::string Said() { return platform::cad::CommandLineText(); }
};

TEST_F(PointCleanupTest, RepeatedVerticesGoWithTheirArcsKeptAndOtherCurvesAreReported)
{
    // A closed ring with a doubled corner whose arc left with the copy, an arc ring closed twice
    // (last on first), an open house ending on its start, and the same first ring old-style.
    AcGeDoubleArray bulges;
    for (double b : {0.0, 0.0, 0.3, 0.0, 0.0})
        bulges.append(b);
    const AcGePoint2dArray doubled = Points({{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}});
    AcDbObjectId light = CreateCodedPolyline(doubled, 0, 1, "300000", 0, kLightweightPolyline, "JZD", &bulges);
    AcDbObjectId old = CreateCodedPolyline(doubled, 0, 1, "300000", 0, kSimple2dPolyline, "JZD", &bulges);
    AcGeDoubleArray closing;
    for (double b : {0.0, 0.0, 0.0, -0.2, 0.0})
        closing.append(b);
    AcDbObjectId twice = CreateCodedPolyline(Points({{20, 0}, {30, 0}, {30, 10}, {20, 10}, {20, 0}}), 0, 1,
                                             "300000", 0, kLightweightPolyline, "JZD", &closing);
    AcDbObjectId open = CreateCodedPolyline(Points({{40, 0}, {50, 0}, {50, 10}, {40, 0}}), 0, 0, "141100", 0,
                                            kLightweightPolyline, "JMD");
    AcGePoint3dArray corners;
    for (auto [x, y] : {std::pair{60.0, 0.0}, {60.001, 0.0}, {70.0, 5.0}})
        corners.append(AcGePoint3d(x, y, 1));
    AcDbObjectId spatial;
    {
        AcDbBlockTableRecord* space = nullptr;
        ASSERT_EQ(acdbOpenObject(space, acdbHostApplicationServices()->workingDatabase()->modelSpaceId(),
                                 AcDb::kForWrite),
                  Acad::eOk);
        auto* polyline = new AcDb3dPolyline(AcDb::k3dSimplePoly, corners);
        space->appendAcDbEntity(spatial, polyline);
        polyline->close();
        space->close();
    }
    const double lightArea = Area(light), oldArea = Area(old), twiceArea = Area(twice);
    ASSERT_GT(lightArea, 100.0);
    ASSERT_NEAR(oldArea, lightArea, 1e-9);

    // Nothing below the smallest threshold, and nothing changed by asking.
    answers->Push(platform::ui::PromptAnswer("0"));
    cadastral::DELELELASTSAMEPT();
    EXPECT_NE(Said().find("\n输入的距离过小,请重新输入."), std::string::npos) << Said();
    EXPECT_EQ(VertexCount(light), 5);
    EXPECT_EQ(VertexCount(twice), 5);

    platform::cad::ClearCommandLine();
    answers->Push(platform::ui::PromptAnswer(""));  // the default 0.003
    cadastral::DELELELASTSAMEPT();
    EXPECT_NE(Said().find("\n操作完成,共删除 3 个多段线上的重复点."), std::string::npos) << Said();
    EXPECT_NE(Said().find("\n当前类型不处理"), std::string::npos) << "the 3D polyline is said: " << Said();
    EXPECT_FALSE(platform::cad::ProgressMeter().shown);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
    EXPECT_EQ(VertexCount(light), 4);
    EXPECT_EQ(VertexCount(old), 4);
    EXPECT_EQ(VertexCount(twice), 4);
    EXPECT_EQ(VertexCount(open), 4);
    EXPECT_NEAR(Area(light), lightArea, 1e-9) << "the arc stays on the real edge";
    EXPECT_NEAR(Area(old), oldArea, 1e-9);
    EXPECT_NEAR(Area(twice), twiceArea, 1e-9) << "the closing arc stays";
    drawingutil::Opened<AcDb3dPolyline> polyline(spatial, AcDb::kForRead);
    ASSERT_TRUE(polyline);
    EXPECT_EQ(polyline->vertices().size(), 3u);
}

TEST_F(PointCleanupTest, PrefixesLeaveThePickedPointsAndLabels)
{
    AcDbObjectId point = CreateCodedCircle(AcGePoint3d(5, 5, 0), 0.2, "301000", nullptr, "JZP");
    ASSERT_TRUE(WriteEntityXData(point, "MIRET", "J", kXDataString, -1, false, false, false));
    ASSERT_TRUE(WriteEntityXData(point, "MIRET", "12", kXDataLong, -1, false, false, false));
    AcDbObjectId label = CreateText(AcGePoint3d(5.5, 5.5, 0), "J12", "", "301001", 1, "JZP", 0, 0, nullptr);
    AcDbObjectId digits = CreateText(AcGePoint3d(8, 8, 0), "13", "", "301001", 1, "JZP", 0, 0, nullptr);
    AcDbObjectId unpicked = CreateText(AcGePoint3d(9, 9, 0), "J14", "", "301001", 1, "JZP", 0, 0, nullptr);
    AcDbObjectId other = CreateText(AcGePoint3d(9, 5, 0), "J15", "", "301001", 1, "JZD", 0, 0, nullptr);
    for (AcDbObjectId id : {point, label, digits, other})
        answers->Push(platform::ui::PromptAnswer(id.handle().text()));
    answers->Push(platform::ui::PromptAnswer(""));
    cadastral::DELETEJZDPRE();
    EXPECT_NE(Said().find("\n删除界址点注记前缀　3　个"), std::string::npos) << Said();
    auto text = [](AcDbObjectId id) {
        drawingutil::Opened<AcDbText> t(id, AcDb::kForRead);
        return t ? std::string(t->textStringConst()) : std::string("?");
    };
    EXPECT_EQ(text(label), "12");
    EXPECT_EQ(text(digits), "13");
    EXPECT_EQ(text(unpicked), "J14");
    EXPECT_EQ(text(other), "J15") << "a label off the point layer is not selectable";
    std::string value;
    EXPECT_TRUE(ReadEntityXData(point, "MIRET", value, kXDataString, 1, false, false));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(ReadEntityXData(point, "MIRET", value, kXDataLong, 2, false, false));
    EXPECT_EQ(value, "12");

    // Nothing picked.
    platform::cad::ClearCommandLine();
    answers->Push(platform::ui::PromptAnswer(""));
    cadastral::DELETEJZDPRE();
    EXPECT_NE(Said().find("\n没有选中界址点或其注记"), std::string::npos) << Said();
}

// A user's run of the cadhost program on a generated town with doubled parcel corners (some on
// arc edges): exactly the reported parcels lose one vertex, no area moves, and the output is sound.
TEST(PointCleanupRun, AGeneratedTownLosesExactlyItsDoubledCorners)
{
    dero::testing::TempFolder folder("repeated_vertices_run");
    const std::string& dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 5 --parcels 50 --codes '" DERO_SOURCE_DIR
                             "/samples/support/index.ini' --traps --doubled-vertices 0.4 --out '" +
                             dir + "/town.dxf' --report '" + dir + "/faults.json'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::string report = dero::testing::ReadFile(dir + "/faults.json");
    std::set<std::string> doubled;
    const std::regex fault("\"kind\": \"doubled_vertex\", \"handle\": \"([0-9A-F]+)\"");
    for (std::sregex_iterator it(report.begin(), report.end(), fault), end; it != end; ++it)
        doubled.insert((*it)[1]);
    ASSERT_GE(doubled.size(), 10u);

    const dero::testing::CadhostRun run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, dir,
        "town.dxf --support '" DERO_SOURCE_DIR "/samples/support' -c DELELELASTSAMEPT -c 0.003 -o out.dxf");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("共删除 " + std::to_string(doubled.size()) + " 个多段线上的重复点."), std::string::npos)
        << run.out;

    const std::string compare = "/usr/bin/python3 '" DERO_SOURCE_DIR
                                "/cadastral/repair/tests/polyline_changes.py' '" +
                                dir + "/town.dxf' '" + dir + "/out.dxf' > '" + dir + "/changes.json'";
    ASSERT_EQ(std::system(compare.c_str()), 0);
    const std::string changes = dero::testing::ReadFile(dir + "/changes.json");
    EXPECT_NE(changes.find("\"audit\": []"), std::string::npos) << changes;
    std::set<std::string> lost;
    const std::regex entry("\"([0-9A-F]+)\": (-?\\d+)");
    for (std::sregex_iterator it(changes.begin(), changes.end(), entry), end; it != end; ++it) {
        EXPECT_EQ((*it)[2], "1") << (*it)[1];
        lost.insert((*it)[1]);
    }
    EXPECT_EQ(lost, doubled);
    const std::smatch drift = [&] {
        std::smatch m;
        std::regex_search(changes, m, std::regex("\"drift\": ([-0-9.e+]+)"));
        return m;
    }();
    ASSERT_FALSE(drift.empty()) << changes;
    EXPECT_LT(std::stod(drift[1]), 1e-9) << changes;
}

// The fusion's question is answered from the answer script given to the cadhost program, so the
// command runs from -c lines; unanswered, it is given up as before.
TEST(PointCleanupRun, FusionAnsweredByAnAnswerScriptRunsFromCommandLines)
{
    dero::testing::TempFolder folder("fusion_answered_run");
    const std::string& dir = folder.path();
    ASSERT_FALSE(dir.empty());
    dero::testing::WriteFile(dir + "/yes.txt", "box yes\n");
    const std::string args = DERO_SOURCE_DIR "/samples/town.dxf --support '" DERO_SOURCE_DIR
                             "/samples/support' -c CombineZD -c 0.1";
    dero::testing::CadhostRun run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir, args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("-> cancel (no answer)\n操作被放弃!"), std::string::npos) << run.out;
    run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir, args + " --answers yes.txt");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("融合吗? -> Yes"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("操作完成!"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("成功融合"), std::string::npos) << run.out;
}

}  // namespace
