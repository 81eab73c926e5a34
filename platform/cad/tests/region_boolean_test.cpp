#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/cad/db_circle.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_region.h"
#include "test_drawing.h"

namespace {

constexpr double kPi = std::numbers::pi;
// Survey-sized coordinates, where tolerances go wrong first.
constexpr double kX = 3400000;
constexpr double kY = 500000;

struct Vertex {
    double x, y, bulge = 0;
};

// A region from a closed polyline through the vertices (offset to survey coordinates); null when
// the host makes none.
AcDbRegion* RegionOf(const std::vector<Vertex>& vertices)
{
    AcDbPolyline outline;
    for (unsigned i = 0; i < vertices.size(); ++i)
        outline.addVertexAt(i, AcGePoint2d(kX + vertices[i].x, kY + vertices[i].y), vertices[i].bulge);
    outline.setClosed(true);
    AcDbVoidPtrArray curves, regions;
    curves.append(&outline);
    if (AcDbRegion::createFromCurves(curves, regions) != Acad::eOk || regions.length() != 1)
        return nullptr;
    return static_cast<AcDbRegion*>(regions[0]);
}

AcDbRegion* CircleRegion(double x, double y, double r)
{
    AcDbCircle circle(AcGePoint3d(kX + x, kY + y, 0), AcGeVector3d(0, 0, 1), r);
    AcDbVoidPtrArray curves, regions;
    curves.append(&circle);
    if (AcDbRegion::createFromCurves(curves, regions) != Acad::eOk)
        return nullptr;
    return static_cast<AcDbRegion*>(regions[0]);
}

AcDbRegion* Square(double x, double y, double size)
{
    return RegionOf({{x, y}, {x + size, y}, {x + size, y + size}, {x, y + size}});
}

double AreaOf(const AcDbRegion& region)
{
    double area = -1;
    region.getArea(area);
    return area;
}

// a op b, where b is deleted; the area of what a became.
double Combine(AcDbRegion* a, AcDb::BoolOperType op, AcDbRegion* b)
{
    EXPECT_EQ(a->booleanOper(op, b), Acad::eOk);
    EXPECT_TRUE(b->isNull());  // the other region is used up
    delete b;
    return AreaOf(*a);
}

TEST(CadRegionBoolean, ApartBoundariesGiveExactHolesIslandsAndEmptiness)
{
    // A circle inside the square becomes a hole; the arc stays an arc.
    AcDbRegion* square = Square(0, 0, 10);
    EXPECT_NEAR(Combine(square, AcDb::kBoolSubtract, CircleRegion(5, 5, 2)), 100 - 4 * kPi, 1e-6);
    ASSERT_EQ(square->loops().size(), 2u);
    EXPECT_TRUE(square->loops()[1].segments.front().arc);
    EXPECT_LT(square->loops()[1].SignedArea(), 0);

    // Taking away a region that lies in the hole or outside changes nothing.
    EXPECT_NEAR(Combine(square, AcDb::kBoolSubtract, CircleRegion(5, 5, 1)), 100 - 4 * kPi, 1e-6);
    EXPECT_NEAR(Combine(square, AcDb::kBoolSubtract, Square(20, 0, 3)), 100 - 4 * kPi, 1e-6);
    // Uniting with the hole's content gives an island in it; a region round the hole fills it.
    EXPECT_NEAR(Combine(square, AcDb::kBoolUnite, CircleRegion(5, 5, 1)), 100 - 3 * kPi, 1e-6);
    EXPECT_NEAR(Combine(square, AcDb::kBoolUnite, Square(2, 2, 6)), 100, 1e-6);
    EXPECT_EQ(square->loops().size(), 1u);
    // Intersecting with an inner part leaves that part; with a region far away, nothing.
    EXPECT_NEAR(Combine(square, AcDb::kBoolIntersect, Square(1, 1, 2)), 4, 1e-6);
    EXPECT_NEAR(Combine(square, AcDb::kBoolIntersect, Square(50, 50, 2)), 0, 1e-9);
    EXPECT_TRUE(square->isNull());
    delete square;

    // Subtracting a region that encloses everything leaves nothing.
    AcDbRegion* small = Square(4, 4, 1);
    Combine(small, AcDb::kBoolSubtract, Square(0, 0, 10));
    EXPECT_TRUE(small->isNull());
    delete small;
}

TEST(CadRegionBoolean, ArcSidesDecideWhatLiesInside)
{
    // The right side of the square bulges outwards as a half circle round (10, 5): a circle in
    // the bulge lies inside, one in the bite of an inward bulge lies outside.
    AcDbRegion* outward = RegionOf({{0, 0}, {10, 0, 1}, {10, 10}, {0, 10}});
    ASSERT_NE(outward, nullptr);
    const double outwardArea = 100 + kPi * 25 / 2;
    EXPECT_NEAR(AreaOf(*outward), outwardArea, 1e-6);
    EXPECT_NEAR(Combine(outward, AcDb::kBoolSubtract, CircleRegion(12.5, 5, 1)), outwardArea - kPi, 1e-6);
    delete outward;

    AcDbRegion* inward = RegionOf({{0, 0}, {10, 0, -1}, {10, 10}, {0, 10}});
    const double inwardArea = 100 - kPi * 25 / 2;
    EXPECT_NEAR(AreaOf(*inward), inwardArea, 1e-6);
    EXPECT_NEAR(Combine(inward, AcDb::kBoolSubtract, CircleRegion(8.5, 5, 1)), inwardArea, 1e-6);
    EXPECT_EQ(inward->loops().size(), 1u);
    delete inward;
}

TEST(CadRegionBoolean, CrossingBoundariesAreCombinedAsAreas)
{
    AcDbRegion* a = Square(0, 0, 10);
    EXPECT_NEAR(Combine(a, AcDb::kBoolSubtract, Square(5, 5, 10)), 75, 1e-6);
    ASSERT_EQ(a->loops().size(), 1u);
    EXPECT_GT(a->loops()[0].SignedArea(), 0);
    EXPECT_NEAR(Combine(a, AcDb::kBoolUnite, Square(5, 5, 10)), 75 + 100, 1e-6);
    EXPECT_NEAR(Combine(a, AcDb::kBoolIntersect, Square(-5, -5, 10)), 25, 1e-6);
    delete a;

    // A shared edge touches: the hole cut from the side opens the outline instead.
    AcDbRegion* b = Square(0, 0, 10);
    EXPECT_NEAR(Combine(b, AcDb::kBoolSubtract, Square(0, 4, 2)), 96, 1e-6);
    EXPECT_EQ(b->loops().size(), 1u);
    delete b;

    // A circle cut by a square: its arcs go in as fine chords.
    AcDbRegion* c = CircleRegion(0, 0, 10);
    EXPECT_NEAR(Combine(c, AcDb::kBoolSubtract, Square(0, 0, 20)), 0.75 * kPi * 100, 0.75 * kPi * 100 * 1e-3);
    delete c;

    // Cutting a region in two leaves two outer loops.
    AcDbRegion* d = Square(0, 0, 10);
    EXPECT_NEAR(Combine(d, AcDb::kBoolSubtract, RegionOf({{4, -1}, {6, -1}, {6, 11}, {4, 11}})), 80, 1e-6);
    EXPECT_EQ(d->loops().size(), 2u);
    delete d;
}

TEST(CadRegionBoolean, RefusalsLeaveBothRegionsAsTheyWere)
{
    // A closed curve without area makes no region.
    EXPECT_EQ(RegionOf({{0, 0}, {5, 5}}), nullptr);

    AcDbRegion* a = Square(0, 0, 10);
    EXPECT_EQ(a->booleanOper(AcDb::kBoolSubtract, nullptr), Acad::eInvalidInput);
    EXPECT_EQ(a->booleanOper(AcDb::kBoolSubtract, a), Acad::eInvalidInput);
    AcDbRegion* b = Square(2, 2, 2);
    EXPECT_EQ(a->booleanOper(static_cast<AcDb::BoolOperType>(7), b), Acad::eInvalidInput);
    EXPECT_FALSE(b->isNull());

    // In a drawing, both must be open for write.
    TestDrawing drawing;
    AcDbObjectId ida = drawing.Add(a);
    AcDbObjectId idb = drawing.Add(b);
    AcDbRegion* ra = nullptr;
    AcDbRegion* rb = nullptr;
    ASSERT_EQ(acdbOpenObject(ra, ida, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(rb, idb, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(ra->booleanOper(AcDb::kBoolSubtract, rb), Acad::eNotOpenForWrite);
    EXPECT_EQ(ra->loops().size(), 1u);
    EXPECT_FALSE(rb->isNull());
    ASSERT_EQ(rb->upgradeOpen(), Acad::eOk);
    EXPECT_EQ(ra->booleanOper(AcDb::kBoolSubtract, rb), Acad::eOk);
    EXPECT_NEAR(AreaOf(*ra), 96, 1e-6);
    ra->close();
    rb->close();
}

}  // namespace
