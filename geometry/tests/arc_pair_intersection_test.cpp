#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/arc_pair_intersection.h"
#include "geometry/line_primitives.h"

namespace geometry {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectPoint(const Point2d& p, double x, double y) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

TEST(ArcPrimitives, AnglesAndArcsOfBulges) {
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, 0, 1), kPi / 2);
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, -1, 0), kPi);
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, 1, -1), 7 * kPi / 4);
    EXPECT_DOUBLE_EQ(SegmentAngle(0, 0, 0, -1), 1.5 * kPi);
    EXPECT_DOUBLE_EQ(SegmentAngle(2, 2, 2, 2), 0.0);

    ArcRecord below = ArcFromBulgeSegment({0, 0}, {2, 0}, 1);
    ExpectPoint(below.centre, 1, 0);
    EXPECT_NEAR(below.radius, 1, 1e-12);
    EXPECT_NEAR(below.startAngle, kPi, 1e-12);
    EXPECT_NEAR(below.endAngle, 0, 1e-12);
    EXPECT_TRUE(AngleOnArc(below, {1, -1}, true, true));
    EXPECT_FALSE(AngleOnArc(below, {1, 1}, true, true));
    ArcRecord above = ArcFromBulgeSegment({0, 0}, {2, 0}, -1);
    EXPECT_NEAR(above.startAngle, 0, 1e-12);
    EXPECT_NEAR(above.endAngle, kPi, 1e-12);
    EXPECT_TRUE(AngleOnArc(above, {1, 1}, true, true));
    // Excluded ends are narrowed.
    EXPECT_TRUE(AngleOnArc(above, {2, 0}, true, true));
    EXPECT_FALSE(AngleOnArc(above, {2, 0}, false, true));
}

TEST(IntersectArcPair, CrossingTouchingAndApart) {
    const ArcRecord upper{{0, 0}, 0, kPi, 1};
    PointList points;
    // The unit circle and the circle of radius 1 at (1, 0) cross at (0.5, +-sqrt(3)/2).
    EXPECT_EQ(IntersectArcPair(upper, {{1, 0}, 0, 2 * kPi - 1e-9, 1}, points, true, true, true, true), 1);
    ExpectPoint(points[0], 0.5, std::sqrt(3.0) / 2);
    points.clear();
    // Touching from outside: the point once for each root, as both lie on both arcs.
    EXPECT_EQ(IntersectArcPair(upper, {{0, 2}, kPi, 2 * kPi, 1}, points, true, true, true, true), 2);
    ExpectPoint(points[0], 0, 1);
    ExpectPoint(points[1], 0, 1);
    points.clear();
    EXPECT_EQ(IntersectArcPair(upper, {{3, 0}, 0, kPi, 1}, points, true, true, true, true), 0);
    EXPECT_EQ(IntersectArcPair(upper, {{0.1, 0}, 0, kPi, 0.2}, points, true, true, true, true), 0);
}

TEST(IntersectArcPair, ArcsOfOneCentreNeverMeetAtTheCentre) {
    PointList points;
    // Concentric, different radii.
    EXPECT_EQ(IntersectArcPair({{5, 5}, 0, kPi, 1}, {{5, 5}, 0, kPi, 2}, points, true, true, true, true), 0);
    EXPECT_TRUE(points.empty());
    // One circle: the ends of each arc that lie on the other, each point once.
    const ArcRecord first{{5, 5}, 0, kPi, 1};
    EXPECT_EQ(IntersectArcPair(first, {{5, 5}, kPi / 2, 1.5 * kPi, 1}, points, true, true, true, true), 2);
    ExpectPoint(points[0], 5, 6);
    ExpectPoint(points[1], 4, 5);
    points.clear();
    // Sharing one end only.
    EXPECT_EQ(IntersectArcPair(first, {{5, 5}, kPi, 1.5 * kPi, 1}, points, true, true, true, true), 1);
    ExpectPoint(points[0], 4, 5);
    points.clear();
    EXPECT_EQ(IntersectArcPair(first, {{5, 5}, kPi, 1.5 * kPi, 1}, points, true, false, true, true), 0);
    // Disjoint arcs of the same circle.
    EXPECT_EQ(IntersectArcPair(first, {{5, 5}, 1.2 * kPi, 1.8 * kPi, 1}, points, true, true, true, true), 0);
}

}  // namespace
}  // namespace geometry
