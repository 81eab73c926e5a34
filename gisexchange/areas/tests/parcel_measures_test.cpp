// The parcel boundary check and the building measures of a parcel, on drawings built for the case
// and against GEOS for the overlap of two outlines.
#include "gisexchange/parcel_measures.h"

#include <gtest/gtest.h>

#include <random>

#include "area_drawing.h"
#include "drawingutil/host_settings.h"
#include "drawingutil/text_entities.h"
#include "gisexchange/parcel_check.h"
#include "grid_rings.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"

namespace {

using namespace gisexchange;

class ParcelMeasures : public AreaDrawingTest {
protected:
    ParcelMeasures()
    {
        resbuf scale{};
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        acedSetVar("USERR1", &scale);
        platform::cad::ClearCommandLine();
    }
    static AcDbObjectId Rectangle(double x0, double y0, double x1, double y1, const char* code,
                                  const char* layer = "JZD")
    {
        return Polyline(Points({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}), true, code, layer);
    }
    static AcDbObjectId House(double x0, double y0, double x1, double y1, const char* floors)
    {
        AcDbObjectId id = Rectangle(x0, y0, x1, y1, "141100", "JMD");
        if (floors != nullptr) {
            // The floors are the first real after the code.
            WriteEntityXData(id, "MIRET", floors, kXDataReal, -1, false, false, false);
        }
        return id;
    }
    static bool Alerted(const char* text)
    {
        return platform::cad::CommandLineText().find(std::string("[alert] ") + text) != std::string::npos;
    }
};

TEST_F(ParcelMeasures, BoundaryCheckNamesTheFirstFault)
{
    AcDbObjectId open = Polyline(Points({{0, 0}, {10, 0}, {10, 10}}), false, "300000");
    EXPECT_FALSE(CheckParcelPolyline(NameOf(open), 0));
    EXPECT_TRUE(platform::cad::CommandLineText().empty()) << "quiet unless asked";
    EXPECT_FALSE(CheckParcelPolyline(NameOf(open), 1));
    EXPECT_TRUE(Alerted("复合线没有封闭"));

    AcDbObjectId triangle = Polyline(Points({{0, 0}, {10, 0}, {5, 8}}), true, "330001");
    EXPECT_TRUE(CheckParcelPolyline(NameOf(triangle), 1));
    AcDbObjectId two = Polyline(Points({{0, 0}, {10, 0}}), true, "300000");
    EXPECT_FALSE(CheckParcelPolyline(NameOf(two), 1));
    EXPECT_TRUE(Alerted("复合线顶点太少"));
    AcDbObjectId house = Rectangle(0, 0, 5, 5, "141100");
    EXPECT_FALSE(CheckParcelPolyline(NameOf(house), 1));
    EXPECT_TRUE(Alerted("实体编码不对"));
    AcDbObjectId line = CreateCodedLine(AcGePoint3d(0, 0, 0), AcGePoint3d(5, 5, 0), "300000", nullptr, "JZD");
    EXPECT_FALSE(CheckParcelPolyline(NameOf(line), 1));
    EXPECT_TRUE(Alerted("请选择复合线"));
}

TEST_F(ParcelMeasures, CourtyardsHousesAcrossTheBoundaryAndInnerParcels)
{
    AcDbObjectId parcel = Rectangle(0, 0, 100, 100, "300000");
    House(10, 10, 40, 40, "3.0");                         // 900, less its courtyard
    Rectangle(20, 20, 25, 25, "145000", "JMD");           // 25
    House(90, 50, 110, 60, "2.0");                        // half of 200 inside
    House(0, 80, 10, 90, nullptr);                        // along the parcel's side, one floor
    Rectangle(60, 10, 80, 30, "300000");                  // an inner parcel, 400
    House(65, 15, 70, 20, "4.0");                         // inside it: not the outer parcel's
    Rectangle(62, 22, 78, 28, "300000");                  // nested inside the inner one
    House(50, 50, 55, 55, "0.5");                         // below one floor counts as one

    int osnap = SetOsnapMode(33);
    ParcelCheckContext context;
    AcGePoint2dArray points;
    ASSERT_TRUE(MeasureParcel(context, NameOf(parcel), points));
    EXPECT_EQ(SetOsnapMode(osnap), 33) << "the user's object snap is back";
    EXPECT_EQ(points.length(), 4);
    EXPECT_EQ(context.parcelCode, "300000");
    EXPECT_DOUBLE_EQ(context.tolerance, 0.5);
    EXPECT_NEAR(context.netArea, 9600, 1e-6);
    ASSERT_EQ(context.innerParcels.size(), 1u) << "the nested parcel goes with the one holding it";
    EXPECT_NEAR(context.footprint, 875 + 100 + 100 + 25, 1e-6);
    EXPECT_NEAR(context.floorArea, 875 * 3 + 100 * 2 + 100 + 25, 1e-6);
    EXPECT_NEAR(context.coverageRatio, 1100 / 9600.0, 1e-9);
    EXPECT_NEAR(context.floorAreaRatio, 2950 / 9600.0, 1e-9);

    // Inner parcels that leave no net area: no measures, never an infinite ratio.
    AcDbObjectId small = Rectangle(200, 0, 210, 10, "300000");
    for (int i = 0; i < 3; ++i)
        Rectangle(202, 2, 208, 8, "300000");
    EXPECT_FALSE(MeasureParcel(context, NameOf(small), points));
    EXPECT_EQ(context.coverageRatio, 0);
    // Houses of old-style polylines, inside and across, beside a note and a point.
    AcDbObjectId plain = Rectangle(400, 0, 500, 100, "300000");
    for (const AcGePoint2dArray& ring : {Points({{410, 10}, {420, 10}, {420, 20}, {410, 20}}),
                                         Points({{490, 50}, {510, 50}, {510, 60}, {490, 60}})})
        CreateCodedPolyline(ring, 0, 1, "141100", 0, kSimple2dPolyline, "JMD");
    CreateCodedCircle(AcGePoint3d(450, 50, 0), 0.5, "141100", nullptr, "JMD");
    CreateText(AcGePoint3d(430, 30, 0), "141100", "", "141100", 2.0, "JMD", 0, 0, nullptr);
    ASSERT_TRUE(MeasureParcel(context, NameOf(plain), points));
    EXPECT_NEAR(context.footprint, 100 + 100, 1e-6);
    // Not a parcel.
    AcDbObjectId other = Rectangle(300, 0, 310, 10, "141100");
    EXPECT_FALSE(MeasureParcel(context, NameOf(other), points));
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

TEST_F(ParcelMeasures, OverlapAreaAgreesWithGeosOnRandomGridRings)
{
    std::mt19937 random(133);
    for (int round = 0; round < 30; ++round) {
        AcGePoint2dArray a = reference::RandomGridRing(random, 0, 0, 12, 8);
        AcGePoint2dArray b = reference::RandomGridRing(random, round % 5, round % 3, 12, 8);
        AcDbObjectId ia = Polyline(a, true, "141100", "JMD");
        AcDbObjectId ib = Polyline(b, true, "300000");
        double expected = reference::GeosIntersectionArea(a, b);
        EXPECT_NEAR(OverlapArea(NameOf(ia), NameOf(ib)), expected, 1e-6) << "round " << round;
        EXPECT_NEAR(OverlapArea(NameOf(ib), NameOf(ia)), expected, 1e-6) << "round " << round;
    }
    // The same outline twice, and outlines apart.
    AcDbObjectId s1 = Rectangle(500, 0, 510, 10, "300000");
    AcDbObjectId s2 = Rectangle(500, 0, 510, 10, "141100");
    AcDbObjectId s3 = Rectangle(520, 0, 530, 10, "141100");
    EXPECT_NEAR(OverlapArea(NameOf(s1), NameOf(s2)), 100, 1e-9);
    EXPECT_NEAR(OverlapArea(NameOf(s1), NameOf(s3)), 0, 1e-9);
}

}  // namespace
