#include "cadastral/attribute_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"
#include "parcel_scene.h"
#include "platform/cad/db_line.h"
#include "platform/cad/prompts.h"
#include "platform/text/format.h"

namespace {

using namespace cadastral;

class AttributeDataTest : public ParcelSceneTest {
protected:
    static std::vector<int> Groups(AcDbObjectId id, const char* app) {
        std::vector<int> groups;
        drawingutil::Opened<AcDbObject> object(id, AcDb::kForRead);
        drawingutil::Chain chain(object ? object->xData(app) : nullptr);
        for (const resbuf* rb = chain.get(); rb != nullptr; rb = rb->rbnext) groups.push_back(rb->restype);
        return groups;
    }
    static resbuf Value(short v) {
        resbuf rb{};
        rb.restype = RTSHORT;
        rb.resval.rint = v;
        return rb;
    }
    static resbuf Value(double v) {
        resbuf rb{};
        rb.restype = RTREAL;
        rb.resval.rreal = v;
        return rb;
    }
    static resbuf Text(const char* v) {
        resbuf rb{};
        rb.restype = RTSTR;
        rb.resval.rstring = const_cast<char*>(v);
        return rb;
    }
};

TEST_F(AttributeDataTest, AddAndReadValuesByKindAndPosition) {
    AcDbObjectId id = BoundaryPoint(1, 1);
    // A new application: registered, then its head and the value.
    ASSERT_TRUE(AddEntityXData(id, "JZDH", Text("J1"), false, 0));
    EXPECT_EQ(Groups(id, "JZDH"), (std::vector<int>{1001, 1000}));
    ASSERT_TRUE(AddEntityXData(id, "JZDH", Value(short{7}), true, 0));
    ASSERT_TRUE(AddEntityXData(id, "JZDH", Value(2.5), true, 0));
    EXPECT_EQ(Groups(id, "JZDH"), (std::vector<int>{1001, 1000, 1070, 1040}));
    // A position past the items replaces the last one.
    ASSERT_TRUE(AddEntityXData(id, "JZDH", Text("last"), false, 9));
    EXPECT_EQ(Groups(id, "JZDH"), (std::vector<int>{1001, 1000, 1070, 1000}));
    std::string text;
    EXPECT_TRUE(ReadEntityXDataChecked(id, "JZDH", text, 0, -1, false, false));
    EXPECT_EQ(text, "last");
    EXPECT_TRUE(ReadEntityXDataChecked(id, "JZDH", text, 1, 1, false, false));
    EXPECT_EQ(text, "7");
    EXPECT_FALSE(ReadEntityXDataChecked(id, "JZDH", text, 1, 3, false, false));
    EXPECT_FALSE(ReadEntityXDataChecked(id, "", text, 0, 0, false, false));
    EXPECT_FALSE(ReadEntityXDataChecked(id, "JZDH", text, 5, 0, false, false));

    // An application left with its head alone takes the value after the head.
    ClearXData(Name(id), "JZDH");
    ASSERT_TRUE(AddEntityXData(id, "JZDH", Text("again"), false, 0));
    EXPECT_EQ(Groups(id, "JZDH"), (std::vector<int>{1001, 1000}));

    // A real read as another kind: only when forced, with the line saying so.
    ASSERT_TRUE(AddEntityXData(id, "MJ", Value(2.125), false, 0));
    EXPECT_TRUE(ReadEntityXDataChecked(id, "MJ", text, 3, 0, false, false));
    EXPECT_EQ(text, "2.125");
    EXPECT_FALSE(ReadEntityXDataChecked(id, "MJ", text, 1, 0, false, true));
    platform::cad::ClearCommandLine();
    EXPECT_TRUE(ReadEntityXDataChecked(id, "MJ", text, 1, 0, true, true));
    EXPECT_EQ(text, "2.125000");
    EXPECT_NE(CommandLine().find("原类型1040,要输出类型1"), std::string::npos);

    // Bad input: a message, nothing written.
    platform::cad::ClearCommandLine();
    resbuf point{};
    point.restype = RT3DPOINT;
    EXPECT_FALSE(AddEntityXData(id, "MJ", point, true, 0));
    EXPECT_NE(CommandLine().find("不识别的数据类型!"), std::string::npos);
    EXPECT_FALSE(AddEntityXData(AcDbObjectId(), "MJ", Value(1.0), true, 0));
    EXPECT_NE(CommandLine().find("无增加扩展数据的实体!"), std::string::npos);
    EXPECT_EQ(Groups(id, "MJ"), (std::vector<int>{1001, 1040}));

    double real = 0;
    SetXDataReal(Name(id), "MJ", 12.5);
    ASSERT_TRUE(GetXDataReal(Name(id), "MJ", real));
    EXPECT_EQ(real, 12.5);
    EXPECT_FALSE(GetXDataReal(Name(id), "NONE", real));
    // A real stored with more digits reads back as its six-decimal text does, whether the entity
    // is named or held open.
    auto asText = [](double x) { return std::strtod(platform::text::Format("%f", x).c_str(), nullptr); };
    ASSERT_TRUE(AddEntityXData(id, "MJ", Value(2.0000025), false, 0));
    ASSERT_TRUE(GetXDataReal(Name(id), "MJ", real));
    EXPECT_EQ(real, asText(2.0000025));
    drawingutil::Opened<AcDbObject> held(id, AcDb::kForRead);
    real = 0;
    ASSERT_TRUE(held && GetXDataReal(*held.get(), "MJ", real));
    EXPECT_EQ(real, asText(2.0000025));
    EXPECT_FALSE(GetXDataReal(*held.get(), "NONE", real));
    // Ties, tiny and huge values, both signs: the same as through the text.
    std::uint64_t seed = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        const double x = std::ldexp(static_cast<double>(seed >> 11) / 9007199254740992.0 - 0.5, i % 80 - 40);
        const double tie = (static_cast<double>(seed % 2000001) + 0.5) * 1e-6;
        ASSERT_EQ(RealAtSixDecimals(x), asText(x)) << x;
        ASSERT_EQ(RealAtSixDecimals(tie), asText(tie)) << tie;
    }
    for (double x : {0.0, -0.0, 1e300, -1e-300, 0.0000005, 1234567.8912345, HUGE_VAL})
        EXPECT_EQ(RealAtSixDecimals(x), asText(x)) << x;
    EXPECT_TRUE(std::isnan(RealAtSixDecimals(std::nan(""))));
}

TEST_F(AttributeDataTest, DefinitionListAndErasingByLayer) {
    AcDbObjectId point = BoundaryPoint(3, 4);
    AcGePoint3d at(-1, -1, -1);
    ASSERT_TRUE(ReadEntityBasePoint(Name(point), at));
    EXPECT_EQ(at, AcGePoint3d(3, 4, 0));
    ASSERT_TRUE(WriteEntityBasePoint(Name(point), AcGePoint3d(5, 6, 0)));
    ASSERT_TRUE(ReadEntityBasePoint(Name(point), at));
    EXPECT_EQ(at, AcGePoint3d(5, 6, 0));

    AcDbObjectId turning = SecondClassPoint(0, 0);
    AcDbObjectId parcel = Parcel({{0, 0}, {1, 0}, {1, 1}});
    EXPECT_FALSE(EraseLayerEntities(""));
    ASSERT_TRUE(EraseLayerEntities("jz?"));
    drawingutil::Opened<AcDbEntity> erased(point, AcDb::kForRead);
    EXPECT_FALSE(erased);
    drawingutil::Opened<AcDbEntity> kept(turning, AcDb::kForRead);
    EXPECT_TRUE(kept);
    drawingutil::Opened<AcDbEntity> gone(parcel, AcDb::kForRead);
    EXPECT_FALSE(gone);
}

TEST(AttributeGeometry, ArcsDistancesRoundingAndPaths) {
    const AcGePoint2d o(0, 0), east(1, 0), north(0, 1), west(-1, 0);
    EXPECT_DOUBLE_EQ(ArcRatio(o, east, west, 1, 0), 1);
    EXPECT_DOUBLE_EQ(ArcRatio(o, east, west, 1, 1), -1);
    EXPECT_NEAR(ArcRatio(o, east, north, 1, 0), std::tan(M_PI / 8), 1e-12);
    EXPECT_NEAR(ArcRatio(o, east, north, 1, 1), -1 / std::tan(M_PI / 8), 1e-12);
    EXPECT_EQ(ArcRatio(o, east, east, 1, 0), 0);

    EXPECT_DOUBLE_EQ(Distance2dOrOffset(AcGePoint2d(3, 5), o, AcGePoint2d(10, 0), 0), 5);
    EXPECT_DOUBLE_EQ(Distance2dOrOffset(AcGePoint2d(3, 4), o, AcGePoint2d(10, 0), 1), 5);

    double value = 2.345;
    RoundToDecimals(value, 2);
    EXPECT_EQ(value, std::strtod(platform::text::Format("%.2f", 2.345).c_str(), nullptr));
    value = 2.6;
    RoundToDecimals(value, -3);
    EXPECT_EQ(value, 3);

    AcGePoint2dArray path;
    for (double x : {0.0, 3.0, 7.0, 10.0}) path.append(AcGePoint2d(x, 0));
    EXPECT_DOUBLE_EQ(PolylinePathLength(AcGePoint2d(3, 0), AcGePoint2d(10, 0), path), 7);
    EXPECT_EQ(PolylinePathLength(AcGePoint2d(7, 0), AcGePoint2d(7, 0), path), 0);
    EXPECT_EQ(PolylinePathLength(AcGePoint2d(7, 0), AcGePoint2d(3, 0), path), 0);
    // A start off the list: from the first vertex, and only to the last.
    EXPECT_DOUBLE_EQ(PolylinePathLength(AcGePoint2d(50, 0), AcGePoint2d(10, 0), path), 10);
    EXPECT_EQ(PolylinePathLength(AcGePoint2d(50, 0), AcGePoint2d(7, 0), path), 0);
    EXPECT_EQ(PolylinePathLength(o, east, AcGePoint2dArray()), 0);

    AcGePoint2d centroid;
    EXPECT_FALSE(PointsCentroid(AcGePoint2dArray(), centroid));
    ASSERT_TRUE(PointsCentroid(path, centroid));
    EXPECT_EQ(centroid, AcGePoint2d(5, 0));
}

TEST_F(AttributeDataTest, EntitiesWithTheSamePoints) {
    AcDbObjectId a = Parcel({{0, 0}, {10, 0}, {10, 10}});
    AcDbObjectId b = Parcel({{20, 0}, {30, 0}, {30, 10}}, true);
    AcDbObjectIdArray ids;
    ids.append(a);
    ids.append(b);
    EXPECT_TRUE(HasEntityWithPoints(ids, List({{30, 10}, {30, 0}, {20, 0}})));
    EXPECT_FALSE(HasEntityWithPoints(ids, List({{30, 10}, {30, 0}, {21, 0}})));
}

}  // namespace
