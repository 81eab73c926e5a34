// The length texts of parcel boundaries and the merge commands, run as the user runs them in a
// host process with DeroPelgar and Tallyview loaded; texts, groups and vertices are read back
// from the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "cadastral/attribute_data.h"
#include "cadastral/edge_lengths.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "geometry/curve_vertex_readers.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_text.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/system_variables.h"
#include "platform/ui/messages.h"
#include "testing/cadhost_run.h"
#include "testing/stored_settings.h"
#include "testing/files.h"
#include "testing/temp_folder.h"
#include "toolkit_fixture.h"

namespace {

constexpr double kPi = std::numbers::pi;

struct LengthText {
    AcDbObjectId id;
    double x = 0, y = 0, rotation = 0, height = 0;
    std::string text, layer;
    double firstX = -1, firstY = -1;
};

class EdgeLengths : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(NewDrawingWith({TALLYVIEW_MODULE, DEROPELGAR_MODULE}));
        resbuf scale;
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        acedSetVar("USERR1", &scale);
    }

    static AcDbObjectId Outline(const std::vector<AcGePoint2d>& points, const char* code = "300000",
                                const char* layer = "JZD", CodedPolylineType type = kLightweightPolyline) {
        AcGePoint2dArray host;
        for (const AcGePoint2d& p : points) host.append(p);
        return CreateCodedPolyline(host, 0.0, 1, code, 0.0, type, layer);
    }
    static void Points(const std::vector<AcGePoint2d>& points) {
        for (const AcGePoint2d& p : points) CreateCodedCircle(AcGePoint3d(p.x, p.y, 0), 0.25, "301000", nullptr, "JZP");
    }
    static std::vector<LengthText> Texts() {
        std::vector<LengthText> found;
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* space = nullptr;
        if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return found;
        const AcDbObjectIdArray ids = space->entityIds();
        space->close();
        for (AcDbObjectId id : ids) {
            ads_name name;
            std::string code;
            if (acdbGetAdsName(name, id) != Acad::eOk) continue;
            GetEntityCode(name, code);
            AcDbText* text = nullptr;
            if (code != "302010" || acdbOpenObject(text, id, AcDb::kForRead) != Acad::eOk) continue;
            LengthText t{id, text->alignmentPoint().x, text->alignmentPoint().y, text->rotation(), text->height(),
                         text->textStringConst(), text->layerName()};
            text->close();
            cadastral::GetXDataReal(name, "JZX_ZJ_X", t.firstX);
            cadastral::GetXDataReal(name, "JZX_ZJ_Y", t.firstY);
            found.push_back(t);
        }
        return found;
    }
    static std::vector<LengthText> Near(const std::vector<LengthText>& texts, double x, double y) {
        std::vector<LengthText> near;
        for (const LengthText& t : texts)
            if (std::hypot(t.x - x, t.y - y) < 1e-6) near.push_back(t);
        return near;
    }
    // The members of the entity's group.
    static AcDbObjectIdArray Group(AcDbObjectId id) {
        AcDbObjectIdArray members;
        ads_name name;
        AcDbObjectId group;
        if (acdbGetAdsName(name, id) != Acad::eOk || !FindEntityGroup(name, group)) return members;
        AcDbGroup* opened = nullptr;
        if (acdbOpenObject(opened, group, AcDb::kForRead) != Acad::eOk) return members;
        opened->allEntityIds(members);
        opened->close();
        return members;
    }
    static int CountIn(const AcDbObjectIdArray& members, const std::vector<LengthText>& texts) {
        int n = 0;
        for (const LengthText& t : texts) n += members.contains(t.id) ? 1 : 0;
        return n;
    }
    static bool Upright(double rotation) {
        return rotation >= 0 && rotation < 2 * kPi && !(rotation > kPi / 2 + 1e-9 && rotation < 3 * kPi / 2 - 1e-9);
    }
};

TEST_F(EdgeLengths, BoundaryLinesGetOneUprightTextBesideThem) {
    const AcDbObjectId square = Outline({{0, 0}, {20, 0}, {20, 20}, {0, 20}});
    Points({{0, 0}, {20, 0}, {20, 20}, {0, 20}});
    // The line from (130, 0) to (100, 0) runs over three edges bent down by 1.
    const AcDbObjectId bent = Outline({{100, 0}, {110, -1}, {120, -1}, {130, 0}, {130, 10}, {100, 10}});
    Points({{100, 0}, {130, 0}, {130, 10}, {100, 10}});
    Outline({{200, 0}, {210, 0}, {210, 10}}, "300001");  // no parcel: no texts

    Run("drawzdlen", {""});
    std::vector<LengthText> texts = Texts();
    ASSERT_EQ(texts.size(), 8u) << CommandLine();
    // Walked clockwise from (0, 0): each text 1.5 outside its edge's middle, keeping the line's
    // first point.
    struct Expected {
        double x, y, firstX, firstY;
    };
    for (const Expected& e : {Expected{-1.5, 10, 0, 0}, Expected{10, 21.5, 0, 20}, Expected{21.5, 10, 20, 20},
                              Expected{10, -1.5, 20, 0}}) {
        const std::vector<LengthText> at = Near(texts, e.x, e.y);
        ASSERT_EQ(at.size(), 1u) << e.x << "," << e.y;
        EXPECT_EQ(at[0].text, "20.00");
        EXPECT_DOUBLE_EQ(at[0].height, 1.0);
        EXPECT_EQ(at[0].layer, "JZD");
        EXPECT_DOUBLE_EQ(at[0].firstX, e.firstX);
        EXPECT_DOUBLE_EQ(at[0].firstY, e.firstY);
    }
    for (const LengthText& t : texts) EXPECT_TRUE(Upright(t.rotation)) << t.text << " " << t.rotation;
    const std::vector<LengthText> chain = Near(texts, 115, -2.5);
    ASSERT_EQ(chain.size(), 1u);
    char along[32];
    std::snprintf(along, sizeof along, "%.2f", 10 + 2 * std::sqrt(101.0));
    EXPECT_EQ(chain[0].text, along);
    EXPECT_DOUBLE_EQ(chain[0].firstX, 130);
    EXPECT_EQ(Near(texts, 115, 11.5).size(), 1u);
    EXPECT_EQ(CountIn(Group(square), texts), 4);
    EXPECT_EQ(CountIn(Group(bent), texts), 4);

    // A second run replaces the texts; so does one after the parcel's neighbour made it gain a
    // vertex, whose merge wrote its texts on another layer.
    Run("drawzdlen", {"1"});
    EXPECT_EQ(Texts().size(), 8u);
    const AcDbObjectId east = Outline({{20.02, 10}, {40, 10}, {40, 0}, {20, 0}});
    Points({{40, 10}, {40, 0}});
    answers->Push(platform::ui::BoxAnswer(IDYES));
    Run("CombineZD", {"0.05"});
    EXPECT_NE(CommandLine().find("操作完成!"), std::string::npos) << CommandLine();
    texts = Texts();
    const AcDbObjectIdArray members = Group(square);
    EXPECT_EQ(CountIn(members, texts), 5) << "one text per edge of the square that gained a vertex";
    EXPECT_EQ(CountIn(Group(east), texts), 4);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const LengthText& t) { return t.layer == "ZJ"; }), 9);
    // Back to boundary lines: the new vertex carries no point, so the square's east line keeps
    // one text; the neighbour has three points.
    Run("drawzdlen", {""});
    texts = Texts();
    EXPECT_TRUE(std::none_of(texts.begin(), texts.end(), [](const LengthText& t) { return t.layer == "ZJ"; }));
    EXPECT_EQ(CountIn(Group(square), texts), 4);
    EXPECT_EQ(CountIn(Group(east), texts), 3);
    EXPECT_EQ(texts.size(), 11u);
    Run("drawzdlen", {"3"});  // any other number means all
    EXPECT_EQ(Texts().size(), 11u);
    // Choosing, and picking nothing: no parcel, and the texts stay.
    Run("drawzdlen", {"2"});
    EXPECT_NE(CommandLine().find("\n当前图上没有宗地"), std::string::npos) << CommandLine();
    EXPECT_EQ(Texts().size(), 11u);
}

// An old-style polyline is turned to start at its first point and walk clockwise like a
// lightweight one, and its texts are laid along the turned outline.
TEST_F(EdgeLengths, OldStylePolylinesGetTheTextsOfLightweightOnes) {
    for (CodedPolylineType type : {kLightweightPolyline, kSimple2dPolyline}) {
        const double x = type == kLightweightPolyline ? 0 : 100;
        Outline({{x + 20, 20}, {x, 20}, {x, 0}, {x + 20, 0}}, "300000", "JZD", type);
        Points({{x, 0}, {x + 20, 0}, {x, 20}});
    }
    Run("drawzdlen", {""});
    const std::vector<LengthText> texts = Texts();
    ASSERT_EQ(texts.size(), 6u) << CommandLine();
    for (double x : {0.0, 100.0}) {
        const std::vector<LengthText> west = Near(texts, x - 1.5, 10), south = Near(texts, x + 10, -1.5);
        ASSERT_EQ(west.size(), 1u) << x;
        EXPECT_EQ(west[0].text, "20.00");
        ASSERT_EQ(south.size(), 1u) << x;
        EXPECT_EQ(south[0].text, "20.00");
        const std::vector<LengthText> bent = Near(texts, x + 10, 21.5);
        ASSERT_EQ(bent.size(), 1u) << x;
        EXPECT_EQ(bent[0].text, "40.00");
    }
}

TEST_F(EdgeLengths, PlanStopsAtAPointOnNoVertexAndSkipsBackwardPairs) {
    auto list = [](std::initializer_list<AcGePoint2d> points) {
        AcGePoint2dArray a;
        for (const AcGePoint2d& p : points) a.append(p);
        return a;
    };
    const AcGePoint2dArray vertices = list({{0, 0}, {0, 10}, {5, 12}, {10, 10}, {10, 0}, {0, 0}});
    // Two vertices apart: the first edge of the two carries the text (even count).
    std::vector<cadastral::BoundaryLineText> plan =
        cadastral::PlanBoundaryLineTexts(list({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}), vertices);
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[1].point, 1);
    EXPECT_EQ(plan[1].edge, 1);
    EXPECT_DOUBLE_EQ(plan[1].length, 2 * std::sqrt(29.0));
    EXPECT_EQ(plan[3].edge, 4);
    // A point off every vertex ends the walk there.
    plan = cadastral::PlanBoundaryLineTexts(list({{0, 0}, {0, 10}, {7, 7}, {10, 0}, {0, 0}}), vertices);
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_DOUBLE_EQ(plan[0].length, 10);
    // Points out of vertex order give no text for the backward pair.
    plan = cadastral::PlanBoundaryLineTexts(list({{0, 0}, {10, 10}, {0, 10}, {10, 0}, {0, 0}}), vertices);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[1].point, 2);
    // A point within 0.0001 of a vertex sits on it.
    plan = cadastral::PlanBoundaryLineTexts(list({{0, 0.00005}, {0, 10}}), vertices);
    ASSERT_EQ(plan.size(), 1u);
}

// A generated town annotated twice by the host program: ezdxf recomputes every text from the
// saved parcels and boundary points and finds each once, in its parcel's group, at the width
// factor of the user's setting textfactor.
TEST(EdgeLengthTown, EveryTextAgreesWithItsParcel) {
    dero::testing::TempFolder folder("edge_length_town");
    const std::string dir = folder.path();
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directories(dir + "/root");
    ASSERT_TRUE(dero::testing::StoreSetting(dir + "/root", "textfactor", 50));
    const std::string source = DERO_SOURCE_DIR;
    const std::string make = std::string(MAKEDRAWING_PROGRAM) + " --out " + dir + "/town.dxf --parcels 80 --seed 5" +
                             " --lightweight-parcels 0.3 --codes " + source + "/samples/support/index.ini";
    ASSERT_EQ(std::system(make.c_str()), 0);
    const dero::testing::CadhostRun run = dero::testing::RunCadhost(
        CADHOST_PROGRAM, dir,
        "town.dxf -c drawzdlen -c '' -c drawzdlen -c 1 -o after.dxf --support '" + source + "/samples/support'");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const std::string check = "cd '" + dir + "' && /usr/bin/python3 " + source +
                              "/cadastral/repair/tests/check_edge_lengths.py after.dxf 500 0.5 > check.txt 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << dero::testing::ReadFile(dir + "/check.txt");
}

}  // namespace
