#include <gtest/gtest.h>

#include <numbers>

#include "geometry/line_primitives.h"
#include "geometry/point_segment_tests.h"

namespace geometry {
namespace {

TEST(PointSegmentTests, AnglesDistancesAndTolerances) {
    constexpr double kPi = std::numbers::pi;
    EXPECT_NEAR(AngleBetweenRays({0, 0}, {1, 0}, {0, 1}), kPi / 2, 1e-12);
    EXPECT_NEAR(AngleBetweenRays({0, 0}, {0, 1}, {1, 0}), 1.5 * kPi, 1e-12);
    EXPECT_EQ(AngleBetweenRays({0, 0}, {1, 0}, {2, 0}), 0.0);
    EXPECT_NEAR(AngleBetweenRays({0, 0}, {1, 0}, {-3, 0}), kPi, 1e-12);
    EXPECT_DOUBLE_EQ(DistanceToLine({5, 3}, {0, 0}, {10, 0}), 3.0);

    double t = -1;
    EXPECT_TRUE(PointWithinSegment({5, 0.0009}, {0, 0}, {10, 0}, t));
    EXPECT_DOUBLE_EQ(t, 0.5);
    EXPECT_FALSE(PointWithinSegment({10.0001, 0}, {0, 0}, {10, 0}, t));
    EXPECT_FALSE(PointWithinSegment({5, 0.0011}, {0, 0}, {10, 0}, t));

    Point2d nearest;
    EXPECT_DOUBLE_EQ(NearestPointOnSegment({13, 4}, {0, 0}, {10, 0}, nearest), 5.0);
    EXPECT_EQ(nearest, (Point2d{10, 0}));
    // The line runs on past the segment's ends.
    EXPECT_EQ(ProjectPointOnLine({13, 4}, {0, 0}, {10, 0}), (Point2d{13, 0}));
    EXPECT_EQ(ProjectPointOnLine({0, 2}, {0, 0}, {2, 2}), (Point2d{1, 1}));
    const Point2d up = PolarPoint(1, 2, kPi / 2, 3);
    EXPECT_NEAR(up.x, 1, 1e-15);
    EXPECT_EQ(up.y, 5);

    EXPECT_TRUE(PointNearSegment({5, 0}, {0, 0}, {10, 0}));
    EXPECT_TRUE(PointNearSegment({1, 1.0005}, {0, 0}, {2, 2}));
    EXPECT_FALSE(PointNearSegment({1, 1.01}, {0, 0}, {2, 2}));
    EXPECT_FALSE(PointNearSegment({11, 0}, {0, 0}, {10, 0}));
    EXPECT_TRUE(PointsCoincide(1, 1, 1 + 5e-7, 1));
    EXPECT_FALSE(PointsCoincide(1, 1, 1 + 2e-6, 1));
}

TEST(PointSegmentTests, RemoveDuplicateVertices) {
    PointList points{{0, 0}, {0, 0}, {1, 0}, {0, 0}};
    DoubleList bulges{0, 0.5, 0, 0};
    ASSERT_TRUE(RemoveDuplicateVertices(points, bulges));
    EXPECT_EQ(points, (PointList{{0, 0}, {1, 0}}));
    EXPECT_EQ(bulges, (DoubleList{0.5, 0}));
    PointList one{{2, 2}};
    DoubleList oneBulge{0};
    ASSERT_TRUE(RemoveDuplicateVertices(one, oneBulge));
    EXPECT_TRUE(one.empty() && oneBulge.empty());
    DoubleList short_{0};
    EXPECT_FALSE(RemoveDuplicateVertices(points, short_));
}

}  // namespace
}  // namespace geometry
