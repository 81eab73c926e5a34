// Point location in a ring: the partition's answers on hand-made cases and against GEOS.
#include "gisexchange/ring_point_locator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "grid_rings.h"

namespace {

using namespace gisexchange;

AcGePoint2dArray Points(std::initializer_list<AcGePoint2d> list)
{
    AcGePoint2dArray points;
    for (const AcGePoint2d& p : list)
        points.append(p);
    return points;
}

std::string Text(const AcGePoint2dArray& ring)
{
    std::string text;
    for (const AcGePoint2d& p : ring)
        text += std::to_string(p.x) + " " + std::to_string(p.y) + ", ";
    return text;
}

int Locate(AcGePoint2dArray ring, const AcGePoint2d& p)
{
    RingPointLocator locator(ring);
    return LocatePoint(locator, p);
}

TEST(RingPointLocation, SquareEitherWayRoundAndItsEdges)
{
    const AcGePoint2dArray ccw = Points({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    const AcGePoint2dArray cw = Points({{0, 0}, {0, 1}, {1, 1}, {1, 0}});
    for (const AcGePoint2dArray& ring : {ccw, cw}) {
        EXPECT_EQ(Locate(ring, {0.5, 0.5}), -1);
        EXPECT_EQ(Locate(ring, {2, 0.5}), 1);
        EXPECT_EQ(Locate(ring, {1, 0.5}), 0);
        EXPECT_EQ(Locate(ring, {0, 0}), 0);
        // On the extension of an edge, but outside the ring.
        EXPECT_EQ(Locate(ring, {2, 0}), 1);
        EXPECT_EQ(Locate(ring, {-3, 1}), 1);
        EXPECT_EQ(Locate(ring, {0, -0.5}), 1);
    }

    // The closing point repeated, and points within 1e-6 of each other, make the same locator.
    AcGePoint2dArray repeated = Points({{0, 0}, {1, 0}, {1, 0.0000004}, {1, 1}, {0, 1}, {0, 0}});
    RingPointLocator locator(repeated);
    EXPECT_EQ(repeated.length(), 4) << "the ring loses its closing repeat and its near duplicates";
    EXPECT_EQ(locator.segments.size(), 4u);
    EXPECT_EQ(LocatePoint(locator, {0.5, 0.5}), -1);
    EXPECT_EQ(LocatePoint(locator, {0.5, 1}), 0);

    // Without two distinct points there is no tree, and everything is outside.
    EXPECT_EQ(Locate(Points({{3, 3}, {3, 3}}), {3, 3}), 1);
    EXPECT_EQ(Locate({}, {0, 0}), 1);
}

TEST(RingPointLocation, SidesCutsAndLengthOrder)
{
    const BoundarySegment east = MakeBoundarySegment({0, 0}, {4, 0});
    EXPECT_EQ(SideOfSegment(east, {2, -1}), 1) << "right of travel is positive";
    EXPECT_EQ(SideOfSegment(east, {2, 1}), -1);
    EXPECT_EQ(SideOfSegment(east, {9, 0}), 0);
    EXPECT_TRUE(IsPointOnSegment(east, {4, 0}));
    EXPECT_FALSE(IsPointOnSegment(east, {4.001, 0}));
    // The on-line band is on the unnormalised product, so long segments narrow it.
    const BoundarySegment longEast = MakeBoundarySegment({0, 0}, {1000, 0});
    EXPECT_EQ(SideOfSegment(east, {1, 1e-7}), 0);
    EXPECT_EQ(SideOfSegment(longEast, {1, 1e-10}), 0);
    EXPECT_EQ(SideOfSegment(longEast, {1, 1e-8}), -1);

    BoundarySegment front, back;
    EXPECT_EQ(ClassifySegment(east, MakeBoundarySegment({1, -1}, {1, 3}), front, back), 2);
    EXPECT_NEAR(front.end.y, 0, 1e-12);
    EXPECT_DOUBLE_EQ(front.start.y, -1);
    EXPECT_DOUBLE_EQ(back.length, 3);
    EXPECT_EQ(ClassifySegment(east, MakeBoundarySegment({1, 0}, {1, 3}), front, back), -1)
        << "an end on the line goes with the other end";
    EXPECT_EQ(ClassifySegment(east, MakeBoundarySegment({1, -1e-9}, {1, 3}), front, back), -1)
        << "rounding on the line does not outvote the other end";
    EXPECT_EQ(ClassifySegment(east, MakeBoundarySegment({5, 0}, {7, 0}), front, back), 0);

    std::vector<BoundarySegment> list;
    InsertByLength(list, MakeBoundarySegment({0, 0}, {1, 0}));
    InsertByLength(list, MakeBoundarySegment({0, 0}, {3, 0}));
    InsertByLength(list, MakeBoundarySegment({5, 0}, {6, 0}));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_DOUBLE_EQ(list[0].length, 3);
    EXPECT_DOUBLE_EQ(list[1].start.x, 0) << "equal lengths keep their arrival order";
    EXPECT_DOUBLE_EQ(list[2].start.x, 5);
}

TEST(RingPointLocation, AgreesWithGeosOnRandomGridRings)
{
    std::mt19937 random(142);
    std::uniform_int_distribution<int> half(-50, 50);
    for (int round = 0; round < 60; ++round) {
        AcGePoint2dArray ring = reference::RandomGridRing(random, 0, 0, 22, 14);
        AcGePoint2dArray copy = ring;
        RingPointLocator locator(copy);
        // Points on the half grid, the vertices and the middles of the edges.
        std::vector<AcGePoint2d> probes;
        for (int i = 0; i < 150; ++i)
            probes.emplace_back(half(random) / 2.0, half(random) / 2.0);
        for (int i = 0; i < ring.length(); ++i) {
            const AcGePoint2d& a = ring[i];
            const AcGePoint2d& b = ring[(i + 1) % ring.length()];
            probes.push_back(a);
            probes.emplace_back((a.x + b.x) / 2, (a.y + b.y) / 2);
            probes.emplace_back(2 * b.x - a.x, 2 * b.y - a.y);  // beyond the edge's end, on its line
        }
        for (const AcGePoint2d& p : probes)
            ASSERT_EQ(LocatePoint(locator, p), reference::GeosLocate(ring, p))
                << "round " << round << " at " << p.x << "," << p.y << " in " << Text(ring);
    }
}

TEST(RingPointLocation, LongConvexRingKeepsToItsOwnStack)
{
    // Every edge of a convex ring has all the others behind it: the tree is one long chain.
    const int n = 20000;
    AcGePoint2dArray ring;
    for (int i = 0; i < n; ++i)
        ring.append({1000 * std::cos(2 * std::numbers::pi * i / n), 1000 * std::sin(2 * std::numbers::pi * i / n)});
    AcGePoint2d vertex = ring[123];
    RingPointLocator locator(ring);
    EXPECT_EQ(LocatePoint(locator, {0, 0}), -1);
    EXPECT_EQ(LocatePoint(locator, {999.9, 0}), -1);
    EXPECT_EQ(LocatePoint(locator, {1000.1, 0}), 1);
    EXPECT_EQ(LocatePoint(locator, vertex), 0);
}

}  // namespace
