#include "geometry/ring_overlay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace geometry {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(RingOverlay, OrientationWorkingCopiesAndCrossingVertices) {
    // The vertices turn counter-clockwise, the clockwise half circle over the base turns the ring.
    BulgeRing dome{{{0, 0}, {10, 0}, {5, 0.5}}, {-1, 0, 0}};
    EXPECT_NEAR(SignedRingArea(dome), 2.5 - 12.5 * kPi, 1e-9);
    MakeCounterclockwise(dome);
    EXPECT_EQ(dome.points[0], (Point2d{0, 0}));
    EXPECT_EQ(dome.points[1], (Point2d{5, 0.5}));
    EXPECT_NEAR(SignedRingArea(dome), 12.5 * kPi - 2.5, 1e-9);
    EXPECT_DOUBLE_EQ(dome.bulges[2], 1.0);  // the arc now runs from (10, 0) back to the start
    MakeCounterclockwise(dome);  // already so: unchanged
    EXPECT_EQ(dome.points[1], (Point2d{5, 0.5}));
    MakeClockwise(dome);
    EXPECT_NEAR(SignedRingArea(dome), 2.5 - 12.5 * kPi, 1e-9);

    // Repeats within 0.001 go; the kept vertex carries on with the arc that left the repeat, and a
    // last vertex on the first goes too.
    const BulgeRing copy = OverlayWorkingRing({{0, 0}, {10, 0}, {10, 0.0004}, {10, 10}, {0, 10}, {0.0003, 0}},
                                              {0, 0, 0.5, 0, 0, 0});
    ASSERT_EQ(copy.points.size(), 4u);
    EXPECT_EQ(copy.bulges, (DoubleList{0, 0.5, 0, 0}));
    // A circle as two half circles gets a third vertex and keeps its area.
    const BulgeRing circle = OverlayWorkingRing({{0, -1}, {0, 1}}, {-1, -1});
    ASSERT_EQ(circle.points.size(), 3u);
    EXPECT_NEAR(std::fabs(SignedRingArea(circle)), kPi, 1e-12);
    EXPECT_TRUE(OverlayWorkingRing({{0, 0}, {1, 0}}, {0}).points.empty());

    // A crossing on an arc splits it into its two sub-arcs; on a vertex nothing changes.
    BulgeRing ring = circle;
    EXPECT_TRUE(AddCrossingVertex(ring, {1, 0}));
    EXPECT_EQ(ring.points.size(), 4u);
    EXPECT_NEAR(std::fabs(SignedRingArea(ring)), kPi, 1e-12);
    EXPECT_FALSE(AddCrossingVertex(ring, {1.0004, 0}));
    EXPECT_FALSE(AddCrossingVertex(ring, {3, 3}));
    EXPECT_EQ(IndexOfPoint(ring.points, {1.0004, 0}), IndexOfPoint(ring.points, {1, 0}));
    EXPECT_EQ(PointInRing(ring, {0.5, 0}), 1);
    EXPECT_EQ(PointInRing(ring, {0, 1}), 2);
    EXPECT_EQ(PointInRing(ring, {1.01, 0}), 0);
}

}  // namespace
}  // namespace geometry
