// RESETPRECISION: the decimals dialog, rounding by entity type, map-patch vertices shared with
// district edges, and a whole generated town checked with ezdxf afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "cadastral/config_tables.h"
#include "cadastral/precision_corrector.h"
#include "cadastral/precision_dialog.h"
#include "drawingutil/blocks.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/text_entities.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/ads_units.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/selection.h"
#include "platform/ui/ui_driver.h"
#include "testing/files.h"
#include "toolkit_fixture.h"

namespace {

// Stands for the main application's "REDERO": notes the block it is given, its number and the
// layer current at the time.
std::vector<std::string> g_redrawn;
std::string HandleOf(AcDbObjectId id) { return id.handle().text(); }
std::string HandleOfName(const ads_name name)
{
    AcDbObjectId id;
    return acdbGetObjectId(id, name) == Acad::eOk ? HandleOf(id) : "?";
}
void RecordRedraw()
{
    ads_name block{};
    ads_point at{};
    int number = 0;
    std::string entry = acedEntSel("", block, at) == RTNORM ? HandleOfName(block) : "<none>";
    entry += acedGetInt("", &number) == RTNORM ? " " + std::to_string(number) : " <none>";
    AcDbLayerTableRecord* layer = nullptr;
    const char* name = "";
    if (acdbOpenObject(layer, acdbHostApplicationServices()->workingDatabase()->clayer(), AcDb::kForRead) ==
        Acad::eOk) {
        layer->getName(name);
        entry += std::string(" ") + name;
        layer->close();
    }
    g_redrawn.push_back(entry);
}

using cadastral::PrecisionCorrector;
using drawingutil::Opened;

TEST(RoundToDecimals, TheHostsDecimalsAndNothingBeyondWhatADoubleHolds)
{
    EXPECT_DOUBLE_EQ(PrecisionCorrector::RoundToDecimals(100.12345, 3), 100.123);
    EXPECT_DOUBLE_EQ(PrecisionCorrector::RoundToDecimals(200.9999, 3), 201.0);
    EXPECT_DOUBLE_EQ(PrecisionCorrector::RoundToDecimals(-200.9999, 3), -201.0);
    EXPECT_DOUBLE_EQ(PrecisionCorrector::RoundToDecimals(12.3456, 2), 12.35);
    EXPECT_DOUBLE_EQ(PrecisionCorrector::RoundToDecimals(1.5, 0), 2.0);
    // Counts a double cannot resolve change nothing, and overrun nothing.
    for (int decimals : {17, 400, 100000, -1})
        EXPECT_EQ(PrecisionCorrector::RoundToDecimals(100.12345678901234, decimals), 100.12345678901234) << decimals;
    EXPECT_EQ(PrecisionCorrector::RoundToDecimals(1e300, 3), 1e300);
    EXPECT_TRUE(std::isnan(PrecisionCorrector::RoundToDecimals(std::nan(""), 3)));
    // Bit for bit the host's text read back: halves, tiny negatives (no negative zero), survey
    // coordinates, counts above the host's 8 and steps beyond 1e15.
    std::vector<double> values = {0.0005, -0.0005, 2.5, -2.5, -0.0004, -0.0, 1234567.8915, 3456789.12345678,
                                  -4567890.0625, 9999999.9995, 123456789.123456, 0.1 + 0.2};
    for (int i = 0; i < 2000; ++i)
        values.push_back((i % 2 ? -1 : 1) * (i * 7919.0 + i * 0.000123456789 + (i % 7) * 0.0005));
    for (double value : values)
        for (int decimals : {0, 1, 2, 3, 4, 6, 8, 9, 12}) {
            if (std::abs(value) * std::pow(10.0, decimals) >= 9007199254740992.0) continue;  // kept as it is
            char text[64];
            ASSERT_EQ(acdbRToS(value, 2, decimals, text), RTNORM);
            const double read = std::strtod(text, nullptr);
            const double rounded = PrecisionCorrector::RoundToDecimals(value, decimals);
            EXPECT_TRUE(rounded == read && std::signbit(rounded) == std::signbit(read))
                << value << " " << decimals << " " << text;
        }
}

class PrecisionTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        WriteSupportFile("index.ini", dero::testing::ReadFile(DERO_SOURCE_DIR "/samples/support/index.ini"));
        cadastral::LoadConfigTables();
        ASSERT_FALSE(cadastral::Tables().codes.empty());
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    }
    void TearDown() override
    {
        cadastral::Tables() = {};
        ToolkitTest::TearDown();
    }

    static AcDbObjectId Append(AcDbEntity* entity, const char* code, const char* layer)
    {
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        if (acdbOpenObject(space, acdbHostApplicationServices()->workingDatabase()->modelSpaceId(),
                           AcDb::kForWrite) != Acad::eOk)
            return id;
        EnsureLayer(entity, layer);
        space->appendAcDbEntity(id, entity);
        entity->close();
        space->close();
        ads_name name;
        if (code != nullptr && acdbGetAdsName(name, id) == Acad::eOk)
            SetEntityCode(name, code);
        return id;
    }
    static AcDbObjectId Block()
    {
        AcDbBlockTable* blocks = nullptr;
        AcDbObjectId blockId;
        if (acdbHostApplicationServices()->workingDatabase()->getBlockTable(blocks, AcDb::kForWrite) != Acad::eOk)
            return blockId;
        auto* block = new AcDbBlockTableRecord;
        block->setName("MARK");
        blocks->add(blockId, block);
        block->appendAcDbEntity(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
        block->close();
        blocks->close();
        return blockId;
    }
    template <typename T, typename F>
    static auto Read(AcDbObjectId id, F get)
    {
        Opened<T> object(id, AcDb::kForRead);
        EXPECT_TRUE(object);
        return get(object.get());
    }
    static AcGePoint2dArray Vertices(AcDbObjectId id)
    {
        ads_name name;
        AcGePoint2dArray points;
        if (acdbGetAdsName(name, id) == Acad::eOk)
            GetCurvePoints(name, points, 0);
        return points;
    }
    static AcGePoint2dArray Points(std::initializer_list<std::pair<double, double>> xy)
    {
        AcGePoint2dArray points;
        for (auto [x, y] : xy)
            points.append(AcGePoint2d(x, y));
        return points;
    }
    static void ExpectPoint(const AcGePoint3d& p, double x, double y, double z)
    {
        EXPECT_DOUBLE_EQ(p.x, x);
        EXPECT_DOUBLE_EQ(p.y, y);
        EXPECT_DOUBLE_EQ(p.z, z);
    }
};

TEST_F(PrecisionTest, EachCodedTypeIsRoundedAndTheRestLeftAlone)
{
    const AcGeVector3d up(0, 0, 1);
    AcDbObjectId circle = Append(new AcDbCircle(AcGePoint3d(100.12345, 200.9999, 7.77777), up, 1), "301000", "JZP");
    AcDbObjectId loose = Append(new AcDbCircle(AcGePoint3d(100.12345, 200.9999, 0), up, 1), nullptr, "JZP");
    AcDbObjectId line = Append(new AcDbLine(AcGePoint3d(1.23456, 2.34567, 3.33333), AcGePoint3d(4.56789, 5.67891, 0)),
                               "302001", "JZD");
    const AcDbObjectId block = Block();
    AcDbObjectId height = Append(new AcDbBlockReference(AcGePoint3d(10.00049, 20.0005, 12.3456), block), "720000", "GCD");
    AcDbObjectId control = Append(new AcDbBlockReference(AcGePoint3d(30.1111, 40.2222, 12.3456), block), "710000", "KZD");
    AcDbObjectId point = Append(new AcDbPoint(AcGePoint3d(5.55555, 6.66666, 9.99999)), "710001", "KZD");
    AcGePoint3dArray corners;
    for (auto [x, y] : {std::pair{1.23456, 1.00001}, {9.87654, 1.0}, {5.0, 8.88888}})
        corners.append(AcGePoint3d(x, y, 2.22222));
    AcDbObjectId spatial = Append(new AcDb3dPolyline(AcDb::k3dSimplePoly, corners, true), "300000", "JZD");
    AcDbObjectId light = CreateCodedPolyline(Points({{0.00049, 0.0}, {10.9999, 0.0004}, {10.0, 10.0}}), 1.5, 1,
                                             "141100", 0, kLightweightPolyline, "JMD");
    AcDbObjectId old = CreateCodedPolyline(Points({{50.00051, 0.0}, {60.12345, 0.0}, {60.0, 10.0}}), 0, 1, "300000",
                                           0, kSimple2dPolyline, "JZD");
    AcDbObjectId text = CreateText(AcGePoint3d(7.77777, 8.88888, 0), "J1", "", "301001", 1, "JZP", 0, 0, nullptr);

    g_redrawn.clear();
    acedRegCmds->addCommand("PRECISIONTEST", "REDERO", "REDERO", ACRX_CMD_MODAL, RecordRedraw);
    PrecisionCorrector corrector(3, 2);
    corrector.CorrectDrawingPrecision();
    acedRegCmds->removeGroup("PRECISIONTEST");

    ExpectPoint(Read<AcDbCircle>(circle, [](auto* c) { return c->center(); }), 100.123, 201.0, 7.77777);
    ExpectPoint(Read<AcDbCircle>(loose, [](auto* c) { return c->center(); }), 100.12345, 200.9999, 0);
    ExpectPoint(Read<AcDbLine>(line, [](auto* l) { return l->startPoint(); }), 1.235, 2.346, 3.33333);
    ExpectPoint(Read<AcDbLine>(line, [](auto* l) { return l->endPoint(); }), 4.568, 5.679, 0);
    ExpectPoint(Read<AcDbBlockReference>(height, [](auto* b) { return b->position(); }), 10.0, 20.001, 12.35);
    ExpectPoint(Read<AcDbBlockReference>(control, [](auto* b) { return b->position(); }), 30.111, 40.222, 12.3456);
    ExpectPoint(Read<AcDbPoint>(point, [](auto* p) { return p->position(); }), 5.556, 6.667, 9.99999);
    ExpectPoint(Read<AcDbText>(text, [](auto* t) { return t->position(); }), 7.77777, 8.88888, 0);
    // Only the control point is redrawn, once, with 1, while "KZD" is current; "0" is current after.
    EXPECT_EQ(g_redrawn, std::vector<std::string>{HandleOf(control) + " 1 KZD"});

    // 3D vertices are rounded, not cut off (1.23456 is 1.235, not 1.234); z stays.
    const auto spatialCorners = Read<AcDb3dPolyline>(spatial, [](auto* p) {
        std::vector<AcGePoint3d> out;
        for (const AcDb3dPolylineVertex* v : p->vertices())
            out.push_back(v->position());
        return out;
    });
    ASSERT_EQ(spatialCorners.size(), 3u);
    ExpectPoint(spatialCorners[0], 1.235, 1.0, 2.22222);
    ExpectPoint(spatialCorners[1], 9.877, 1.0, 2.22222);
    ExpectPoint(spatialCorners[2], 5.0, 8.889, 2.22222);

    const AcGePoint2dArray lightVertices = Vertices(light);
    ASSERT_EQ(lightVertices.length(), 3);
    EXPECT_DOUBLE_EQ(lightVertices[0].x, 0.0);
    EXPECT_DOUBLE_EQ(lightVertices[1].x, 11.0);
    EXPECT_DOUBLE_EQ(lightVertices[1].y, 0.0);
    EXPECT_DOUBLE_EQ(Read<AcDbPolyline>(light, [](auto* p) { return p->elevation(); }), 1.5);
    const AcGePoint2dArray oldVertices = Vertices(old);
    ASSERT_EQ(oldVertices.length(), 3);
    EXPECT_DOUBLE_EQ(oldVertices[0].x, 50.001);
    EXPECT_DOUBLE_EQ(oldVertices[1].x, 60.123);
}

TEST_F(PrecisionTest, APatchVertexRoundedOntoADistrictEdgeIsSharedOnce)
{
    // At 4 decimals. District A, a square; district B, an L whose inner edge (200,0)-(150,0) points
    // at the third patch vertex without reaching it, while B's left side passes 0.7 mm from it.
    AcDbObjectId a = CreateCodedPolyline(Points({{0, 0}, {100, 0}, {100, 100}, {0, 100}}), 0, 1, "321000", 0,
                                         kLightweightPolyline, "XZQ");
    AcDbObjectId b = CreateCodedPolyline(
        Points({{100.0005, -50}, {100.0005, 50}, {200, 50}, {200, 0}, {150, 0}, {150, -50}}), 0, 1, "321000", 0,
        kLightweightPolyline, "XZQ");
    AcDbObjectId patch = CreateCodedPolyline(
        Points({{0.00002, -0.00003}, {50.00004, 0.00003}, {100.00123, 0.00003}, {30, -20}}), 0, 1, "310000", 0,
        kLightweightPolyline, "DLJ");
    // Not a district: its code's class is no "XZQ".
    AcDbObjectId parcel = CreateCodedLine(AcGePoint3d(40, 0, 0), AcGePoint3d(60, 0, 0), "303000", nullptr, "JZX");

    // Decimals beyond what a double holds change nothing and overrun nothing.
    PrecisionCorrector(400, 400).CorrectDrawingPrecision();
    EXPECT_EQ(Vertices(patch)[2], AcGePoint2d(100.00123, 0.00003));
    EXPECT_EQ(Vertices(a).length(), 4);

    for (int run = 0; run < 2; ++run) {
        PrecisionCorrector(4, 2).CorrectDrawingPrecision();
        const AcGePoint2dArray square = Vertices(a);
        ASSERT_EQ(square.length(), 5) << "one new vertex, also after a second run";
        EXPECT_EQ(square[1], AcGePoint2d(50, 0));
        EXPECT_EQ(Vertices(b).length(), 6) << "the point lies on an edge's extension only";
        const AcGePoint2dArray rounded = Vertices(patch);
        ASSERT_EQ(rounded.length(), 4);
        EXPECT_EQ(rounded[0], AcGePoint2d(0, 0));
        EXPECT_EQ(rounded[2], AcGePoint2d(100.0012, 0));
    }
    EXPECT_EQ(Vertices(parcel).length(), 2);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

TEST_F(PrecisionTest, TheDialogRefusesTooFewDecimalsAndCancelRoundsNothing)
{
    AcDbObjectId circle =
        Append(new AcDbCircle(AcGePoint3d(1.23456, 2.34567, 0), AcGeVector3d(0, 0, 1), 1), "301000", "JZP");
    answers->Push(platform::ui::DialogAnswer(cadastral::IDD_PRECISION, [](platform::ui::UiDriver& d) {
        EXPECT_EQ(d.Text(cadastral::IDC_PLANAR_DECIMALS), "3");
        EXPECT_EQ(d.Text(cadastral::IDC_ELEVATION_DECIMALS), "2");
        d.SetText(cadastral::IDC_PLANAR_DECIMALS, "2");
        d.Click(IDOK);
        d.SetText(cadastral::IDC_PLANAR_DECIMALS, "4");
        d.SetText(cadastral::IDC_ELEVATION_DECIMALS, "1");
        d.Click(IDOK);
        d.Click(IDCANCEL);
    }));
    answers->Push(platform::ui::BoxAnswer(IDOK));
    answers->Push(platform::ui::BoxAnswer(IDOK));
    cadastral::RESETPRECISION();
    EXPECT_EQ(answers->Pending(), 0u) << Transcript();
    EXPECT_TRUE(Logged(cadastral::kPlanarTooFewText)) << Transcript();
    EXPECT_TRUE(Logged(cadastral::kElevationTooFewText)) << Transcript();
    ExpectPoint(Read<AcDbCircle>(circle, [](auto* c) { return c->center(); }), 1.23456, 2.34567, 0);

    answers->Push(platform::ui::DialogAnswer(cadastral::IDD_PRECISION, [](platform::ui::UiDriver& d) {
        EXPECT_EQ(d.Text(cadastral::IDC_PLANAR_DECIMALS), "3") << "every run starts from the defaults";
        d.SetText(cadastral::IDC_PLANAR_DECIMALS, "4");
        d.Click(IDOK);
    }));
    cadastral::RESETPRECISION();
    ExpectPoint(Read<AcDbCircle>(circle, [](auto* c) { return c->center(); }), 1.2346, 2.3457, 0);
}

// A generated town rounded to 3 decimals and saved: ezdxf finds every coded vertex, centre and end
// point on the millimetre, everything else as it was, and a clean audit.
TEST_F(PrecisionTest, AWholeTownIsOnTheMillimetreAfterwards)
{
    const std::string dir = Root().string();
    const std::string make = "'" MAKEDRAWING_PROGRAM "' --seed 9 --parcels 40 --codes '" DERO_SOURCE_DIR
                             "/samples/support/index.ini' --traps --out '" +
                             dir + "/town.dxf' --report '" + dir + "/faults.json'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    answers->Push(platform::ui::DialogAnswer(cadastral::IDD_PRECISION, [](platform::ui::UiDriver& d) { d.Click(IDOK); }));
    cadastral::RESETPRECISION();
    ASSERT_EQ(acdbHostApplicationServices()->workingDatabase()->saveAs((dir + "/out.dxf").c_str()), Acad::eOk);
    const std::string check = "/usr/bin/python3 '" DERO_SOURCE_DIR "/cadastral/repair/tests/precision_check.py' '" +
                              dir + "/town.dxf' '" + dir + "/out.dxf' > '" + dir + "/check.txt' 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << dero::testing::ReadFile(dir + "/check.txt");
}

}  // namespace
