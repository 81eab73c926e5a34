#include "geometry/point_in_arc_ring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "geometry/bulge_polygon.h"

namespace geometry {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(PointInArcRing, RefusalsStraightSidesAndVertices) {
    const PointList square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const DoubleList flat(4, 0.0);
    EXPECT_EQ(PointInArcRing({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0.5}}, flat, {0.5, 0.5}), -3);
    // Two half circles make a full circle, but the routine wants three vertices.
    EXPECT_EQ(PointInArcRing({{0, 0}, {2, 0}}, {1, 1}, {1, 0}), -2);
    EXPECT_EQ(PointInArcRing(square, flat, {5, 5}), 1);
    EXPECT_EQ(PointInArcRing(square, flat, {15, 5}), -1);
    EXPECT_EQ(PointInArcRing(square, flat, {5, 0}), 0);
    EXPECT_EQ(PointInArcRing(square, flat, {0, 7}), 0);
    EXPECT_EQ(PointInArcRing(square, flat, {10, 10}), 0);
    EXPECT_EQ(PointInArcRing(square, flat, {5, 1e-3}), 1);
    EXPECT_EQ(PointInArcRing(square, flat, {5, -1e-3}), -1);
    // A slanted side: on it exactly, off it by 1e-3 either way, not on its extension.
    const PointList triangle{{0, 0}, {10, 10}, {0, 10}};
    const DoubleList three(3, 0.0);
    EXPECT_EQ(PointInArcRing(triangle, three, {4, 4}), 0);
    EXPECT_EQ(PointInArcRing(triangle, three, {4, 4.001}), 1);
    EXPECT_EQ(PointInArcRing(triangle, three, {4, 3.999}), -1);
    EXPECT_EQ(PointInArcRing(triangle, three, {11, 11}), -1);
    // A long parcel side: a point a centimetre off it is no point on it.
    const PointList parcel{{0, 0}, {200, 80}, {0, 80}};
    EXPECT_EQ(PointInArcRing(parcel, three, {100, 40}), 0);
    EXPECT_EQ(PointInArcRing(parcel, three, {100, 40.01}), 1);
    EXPECT_EQ(PointInArcRing(parcel, three, {100, 39.99}), -1);
    // A ray through a vertex: once where the sides go up and down, never where both go the same way.
    const PointList diamond{{0, 0}, {5, -5}, {10, 0}, {5, 5}};
    EXPECT_EQ(PointInArcRing(diamond, DoubleList(4, 0.0), {2, 0}), 1);
    EXPECT_EQ(PointInArcRing(diamond, DoubleList(4, 0.0), {-2, 0}), -1);
    const PointList peak{{0, 0}, {10, 0}, {5, 5}};
    EXPECT_EQ(PointInArcRing(peak, three, {1, 5}), -1);
    EXPECT_EQ(PointInArcRing(peak, three, {5, 4.999}), 1);
}

TEST(PointInArcRing, ArcsAreMetExactly) {
    // A circle of radius 10 from three arcs of 120 degrees: flattening them would lose points a
    // hair inside the circle, and put a hair outside points inside.
    const double b = std::tan(kPi / 6);
    PointList circle;
    for (int k = 0; k < 3; ++k) circle.push_back({10 * std::cos(2 * kPi * k / 3), 10 * std::sin(2 * kPi * k / 3)});
    const DoubleList arcs(3, b);
    for (double angle : {0.3, 1.0, 2.5, 3.3, 4.4, 5.9}) {
        const Point2d in{9.999 * std::cos(angle), 9.999 * std::sin(angle)};
        const Point2d out{10.001 * std::cos(angle), 10.001 * std::sin(angle)};
        const Point2d on{10 * std::cos(angle), 10 * std::sin(angle)};
        EXPECT_EQ(PointInArcRing(circle, arcs, in), 1) << angle;
        EXPECT_EQ(PointInArcRing(circle, arcs, out), -1) << angle;
        EXPECT_EQ(PointInArcRing(circle, arcs, on), 0) << angle;
    }
    // Level with an arc end (the vertex at angle 0, and at the top and bottom of the circle).
    EXPECT_EQ(PointInArcRing(circle, arcs, {-5, 0}), 1);
    EXPECT_EQ(PointInArcRing(circle, arcs, {-12, 0}), -1);
    EXPECT_EQ(PointInArcRing(circle, arcs, {0, 9.9999}), 1);
    EXPECT_EQ(PointInArcRing(circle, arcs, {-3, 10}), -1);  // the ray grazes the top of the circle
    // The same circle clockwise.
    PointList back(circle.rbegin(), circle.rend());
    EXPECT_EQ(PointInArcRing(back, DoubleList(3, -b), {9.999, 0.01}), 1);
    EXPECT_EQ(PointInArcRing(back, DoubleList(3, -b), {10.001, 0.01}), -1);

    // A square whose right side bulges out through angle 0 (the arc runs from -60 to 60 degrees
    // about a centre left of the side): points beside the arc on both sides of angle 0.
    const PointList dome{{0, -5}, {5, -5}, {5, 5}, {0, 5}};
    const DoubleList domeBulges{0, std::tan(kPi / 12), 0, 0};
    const double r = 10, cx = 5 - r * std::cos(kPi / 6);
    for (double angle : {-0.5, -0.1, 0.0, 0.2, 0.5}) {
        EXPECT_EQ(PointInArcRing(dome, domeBulges, {cx + (r - 1e-3) * std::cos(angle), r * std::sin(angle)}), 1) << angle;
        EXPECT_EQ(PointInArcRing(dome, domeBulges, {cx + (r + 1e-3) * std::cos(angle), r * std::sin(angle)}), -1)
            << angle;
    }
    EXPECT_EQ(PointInArcRing(dome, domeBulges, {cx + r, 0}), 0);
}

// Off the boundary the exact test and the bulge polygon test must agree: random star-shaped rings
// at survey coordinates with some sides bulging either way, probed on a grid and at random.
TEST(PointInArcRing, AgreesWithTheBulgePolygonTestOffTheBoundary) {
    std::mt19937 random(26);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double x0 = 512345.0, y0 = 3401234.0;
    int inside = 0, compared = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int n = 3 + trial % 7;
        PointList points;
        DoubleList bulges;
        for (int i = 0; i < n; ++i) {
            const double angle = 2 * kPi * (i + 0.2 + 0.6 * unit(random)) / n;
            const double radius = 20 + 20 * unit(random);
            points.push_back({x0 + radius * std::cos(angle), y0 + radius * std::sin(angle)});
            bulges.push_back(unit(random) < 0.5 ? 0.0 : (unit(random) < 0.5 ? -1 : 1) * (0.05 + 0.3 * unit(random)));
        }
        for (int k = 0; k < 60; ++k) {
            // Grid points share levels with the vertices now and then; random ones do not.
            const Point2d p = k % 2 == 0 ? Point2d{x0 - 45 + 90 * unit(random), y0 - 45 + 90 * unit(random)}
                                         : Point2d{std::round(x0 - 45 + 90 * unit(random)),
                                                   points[k % n].y};
            const int reference = PointInBulgePolygon(points, bulges, p.x, p.y);
            if (reference == 0) continue;
            EXPECT_EQ(PointInArcRing(points, bulges, p), reference) << trial << " " << k;
            ++compared;
            inside += reference == 1;
        }
    }
    EXPECT_GT(compared, 15000);
    EXPECT_GT(inside, 3000);
}

}  // namespace
}  // namespace geometry
