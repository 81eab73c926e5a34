#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/arc_geometry.h"
#include "geometry/line_arc_intersection.h"
#include "geometry/segment_pair_intersection.h"

namespace geometry {
namespace {

constexpr double kPi = std::numbers::pi;

void ExpectPoint(const Point2d& p, double x, double y) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

TEST(ArcGeometry, BulgedSegmentsPositionsAndNearestPoints) {
    Point2d centre;
    double radius = 0, start = 0, end = 0;
    ASSERT_TRUE(SegmentPolarGeometry({0, 0}, {2, 0}, 1, centre, radius, start, end));
    ExpectPoint(centre, 1, 0);
    EXPECT_NEAR(radius, 1, 1e-12);
    EXPECT_NEAR(start, kPi, 1e-12);
    EXPECT_NEAR(end, 0, 1e-12);
    ASSERT_TRUE(SegmentPolarGeometry({0, 0}, {2, 0}, -1, centre, radius, start, end));
    ExpectPoint(centre, 1, 0);
    EXPECT_NEAR(start, 0, 1e-12);
    EXPECT_NEAR(end, kPi, 1e-12);
    // Quarter circle: bulge tan(pi/8) from (1, 0) to (0, 1) about the origin.
    ASSERT_TRUE(SegmentPolarGeometry({1, 0}, {0, 1}, std::tan(kPi / 8), centre, radius, start, end));
    ExpectPoint(centre, 0, 0);
    EXPECT_NEAR(radius, 1, 1e-12);
    // No arc: straight or zero-length segments leave the outputs alone.
    radius = 7;
    EXPECT_FALSE(SegmentPolarGeometry({0, 0}, {2, 0}, 0, centre, radius, start, end));
    EXPECT_FALSE(SegmentPolarGeometry({1, 1}, {1, 1}, 1, centre, radius, start, end));
    EXPECT_EQ(radius, 7);

    // The lower half circle about (1, 0) passes angle 0 (start pi, end 0).
    double t = -1;
    EXPECT_TRUE(PointOnArcParameter({1, -1}, {1, 0}, kPi, 0, 1, t));
    EXPECT_NEAR(t, 0.5, 1e-12);
    EXPECT_TRUE(PointOnArcParameter({2, 0}, {1, 0}, kPi, 0, 1, t));
    EXPECT_NEAR(t, 1.0, 1e-12);
    EXPECT_FALSE(PointOnArcParameter({1, 1}, {1, 0}, kPi, 0, 1, t));       // other half
    EXPECT_FALSE(PointOnArcParameter({1, -1.001}, {1, 0}, kPi, 0, 1, t));  // off the circle
    EXPECT_TRUE(PointOnArcParameter({1, 1}, {0, 0}, kPi / 4, kPi / 4, std::sqrt(2.0), t));
    EXPECT_EQ(t, 0.0);  // an arc without sweep does not divide by zero

    Point2d nearest;
    EXPECT_NEAR(NearestPointOnArc({1, -3}, {1, 0}, kPi, 0, 1, nearest), 2, 1e-12);
    ExpectPoint(nearest, 1, -1);
    // Above the lower half: the end point nearer to p's direction.
    EXPECT_NEAR(NearestPointOnArc({1.5, 2}, {1, 0}, kPi, 0, 1, nearest), std::hypot(0.5, 2), 1e-12);
    ExpectPoint(nearest, 2, 0);
    NearestPointOnArc({0.5, 2}, {1, 0}, kPi, 0, 1, nearest);
    ExpectPoint(nearest, 0, 0);
}

TEST(LineArcIntersection, CirclesArcsAndSegments) {
    Point2d p, q;
    // y = 0.5 on the unit circle (horizontal form), x = 1 touching it (vertical form).
    ASSERT_EQ(IntersectLineWithCircle({0, 0}, 1, 0, 1, -0.5, p, q), 2);
    ExpectPoint(p, -std::sqrt(0.75), 0.5);
    ExpectPoint(q, std::sqrt(0.75), 0.5);
    ASSERT_EQ(IntersectLineWithCircle({0, 0}, 1, 1, 0, -1, p, q), 1);
    ExpectPoint(p, 1, 0);
    EXPECT_EQ(IntersectLineWithCircle({0, 0}, 1, 1, 0, -1.5, p, q), 0);
    EXPECT_EQ(IntersectLineWithCircle({0, 0}, 1, 0, 0, 1, p, q), 0);
    // x - y = 0 through the centre (1, 1) of a circle of radius 2: 1 -+ sqrt(2) on both axes.
    ASSERT_EQ(IntersectLineWithCircle({1, 1}, 2, 1, -1, 0, p, q), 2);
    ExpectPoint(p, 1 - std::sqrt(2.0), 1 - std::sqrt(2.0));
    ExpectPoint(q, 1 + std::sqrt(2.0), 1 + std::sqrt(2.0));

    // The upper half of the unit circle: y = 0.5 crosses it twice, y = -0.5 not at all.
    EXPECT_EQ(IntersectLineWithArc({0, 0}, 0, kPi, 1, 0, 1, -0.5, p, q, true, true), 2);
    EXPECT_EQ(IntersectLineWithArc({0, 0}, 0, kPi, 1, 0, 1, 0.5, p, q, true, true), 0);
    // The tangent y = 1 touches it once.
    ASSERT_EQ(IntersectLineWithArc({0, 0}, 0, kPi, 1, 0, 1, -1, p, q, true, true), 1);
    ExpectPoint(p, 0, 1);
    // The x axis meets it at both ends: kept or dropped by the end flags; the kept one comes first.
    EXPECT_EQ(IntersectLineWithArc({0, 0}, 0, kPi, 1, 0, 1, 0, p, q, true, true), 2);
    ASSERT_EQ(IntersectLineWithArc({0, 0}, 0, kPi, 1, 0, 1, 0, p, q, false, true), 1);
    ExpectPoint(p, -1, 0);
    // An arc through angle 0 (from 3 pi/2 to pi/2, the right half).
    ASSERT_EQ(IntersectLineWithArc({0, 0}, 1.5 * kPi, kPi / 2, 1, 0, 1, 0, p, q, true, true), 1);
    ExpectPoint(p, 1, 0);

    // Segments against the upper half circle: the segment's own flags cut at its ends.
    ASSERT_EQ(IntersectSegmentWithArc({0, 0}, 0, kPi, 1, {0, 0}, {0, 2}, p, q, true, true, true, true), 1);
    ExpectPoint(p, 0, 1);
    EXPECT_EQ(IntersectSegmentWithArc({0, 0}, 0, kPi, 1, {0, 0}, {0, 1}, p, q, true, true, true, true), 1);
    EXPECT_EQ(IntersectSegmentWithArc({0, 0}, 0, kPi, 1, {0, 0}, {0, 1}, p, q, true, true, true, false), 0);
    EXPECT_EQ(IntersectSegmentWithArc({0, 0}, 0, kPi, 1, {-2, 0.5}, {2, 0.5}, p, q, true, true, true, true), 2);
    EXPECT_EQ(IntersectSegmentWithArc({0, 0}, 0, kPi, 1, {3, 3}, {3, 3}, p, q, true, true, true, true), 0);
}

TEST(SegmentPairIntersection, CrossingTouchingAndCollinear) {
    Point2d p, q;
    ASSERT_EQ(IntersectSegmentPair({0, 0}, {2, 0}, {1, -1}, {1, 1}, p, q, false, false, false, false), 1);
    ExpectPoint(p, 1, 0);
    ASSERT_EQ(IntersectSegmentPair({0, 0}, {1, 0}, {1, 0}, {1, 1}, p, q, false, false, false, false), 1);
    ExpectPoint(p, 1, 0);
    EXPECT_EQ(IntersectSegmentPair({0, 0}, {1, 0}, {1.0000005, -1}, {1.0000005, 1}, p, q, false, false, false, false), 0);
    EXPECT_EQ(IntersectSegmentPair({0, 0}, {1, 0}, {1.0000005, -1}, {1.0000005, 1}, p, q, false, true, false, false), 1);
    EXPECT_EQ(IntersectSegmentPair({0, 0}, {1, 1}, {2, 0}, {3, -5}, p, q, true, true, true, true), 0);
    // Survey-sized coordinates stay exact enough.
    ASSERT_EQ(IntersectSegmentPair({500000, 3000000}, {500002, 3000000}, {500001, 2999999}, {500001, 3000001}, p, q,
                                   false, false, false, false), 1);
    ExpectPoint(p, 500001, 3000000);

    ASSERT_EQ(IntersectSegmentPair({0, 0}, {2, 0}, {1, 0}, {3, 0}, p, q, true, true, true, true), 2);
    ExpectPoint(p, 2, 0);
    ExpectPoint(q, 1, 0);
    // Only flagged ends are collected; one segment inside the other gives its own ends.
    ASSERT_EQ(IntersectSegmentPair({0, 0}, {2, 0}, {1, 0}, {3, 0}, p, q, false, false, true, false), 1);
    ExpectPoint(p, 1, 0);
    ASSERT_EQ(IntersectSegmentPair({1, 1}, {2, 2}, {0, 0}, {3, 3}, p, q, true, true, true, true), 2);
    ExpectPoint(p, 1, 1);
    ExpectPoint(q, 2, 2);
    // Touching end to end on one line: the shared point once.
    ASSERT_EQ(IntersectSegmentPair({0, 0}, {1, 0}, {1, 0}, {2, 0}, p, q, true, true, true, true), 1);
    ExpectPoint(p, 1, 0);
    // Parallel lines apart, in every direction, and a segment without length.
    EXPECT_EQ(IntersectSegmentPair({0, 0}, {2, 0}, {0, 1e-5}, {2, 1e-5}, p, q, true, true, true, true), 0);
    EXPECT_EQ(IntersectSegmentPair({0, 0}, {0, 2}, {1e-5, 0}, {1e-5, 2}, p, q, true, true, true, true), 0);
    EXPECT_EQ(IntersectSegmentPair({0, 0}, {2, 2}, {1e-5, 0}, {2.00001, 2}, p, q, true, true, true, true), 0);
    EXPECT_EQ(IntersectSegmentPair({0, 0}, {2, 0}, {0, 1e-7}, {2, 1e-7}, p, q, true, true, true, true), 2);
    EXPECT_EQ(IntersectSegmentPair({1, 0}, {1, 0}, {0, 0}, {2, 0}, p, q, true, true, true, true), 0);
}

}  // namespace
}  // namespace geometry
