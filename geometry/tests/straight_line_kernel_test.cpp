// Distances, duplicates and point in polygon, with random grid cases checked against GEOS.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "geometry/duplicate_points.h"
#include "geometry/line_primitives.h"
#include "geometry/pair_intersection.h"
#include "geometry/point_in_polygon.h"
#include "geometry/segment_distance.h"
#include "geos_reference.h"

namespace geometry {
namespace {

TEST(StraightLineKernel, DistancesToSegmentsAndPolylines) {
    const Point2d a{0, 0}, b{10, 0};
    EXPECT_EQ(ClosestPointOnSegment({-3, 4}, a, b), a);
    EXPECT_EQ(ClosestPointOnSegment({13, 4}, a, b), b);
    EXPECT_EQ(ClosestPointOnSegment({4, 4}, a, b), (Point2d{4, 0}));
    EXPECT_DOUBLE_EQ(SegmentDistanceSquared({-3, 4}, a, b), 25.0);
    EXPECT_DOUBLE_EQ(SegmentDistanceSquared({4, -3}, a, b), 9.0);
    EXPECT_DOUBLE_EQ(SegmentDistanceSquared({4, 0}, a, b), 0.0);

    EXPECT_TRUE(IsPointOnSegment({5, 0}, a, b));
    EXPECT_TRUE(IsPointOnSegment(b, a, b));
    EXPECT_TRUE(IsPointOnSegment({5, 5e-7}, a, b));
    EXPECT_FALSE(IsPointOnSegment({5, 2e-6}, a, b));
    EXPECT_FALSE(IsPointOnSegment({10.001, 0}, a, b));
    EXPECT_FALSE(IsPointOnSegment({-0.001, 0}, a, b));

    const PointList line{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    Point2d foot{-1, -1};
    std::size_t segment = 99;
    double parameter = -1;
    EXPECT_DOUBLE_EQ(NearestPointOnPolyline(line, {12, 4}, foot, segment, parameter), 4.0);
    EXPECT_EQ(foot, (Point2d{10, 4}));
    EXPECT_EQ(segment, 1u);
    EXPECT_DOUBLE_EQ(parameter, 0.4);
    // Equally near to the first and the second segment: the first wins.
    NearestPointOnPolyline(line, {11, -1}, foot, segment, parameter);
    EXPECT_EQ(segment, 0u);
    EXPECT_EQ(NearestPointOnPolyline({{1, 1}}, {0, 0}, foot, segment, parameter), 0.0);
    EXPECT_EQ(segment, 0u);
}

TEST(StraightLineKernel, DuplicatePointsKeepTheFirstAndTheirValues) {
    PointList points{{0, 0}, {1e-7, 0}, {1, 1}, {2e-7, 1e-7}, {1, 1 + 1e-7}, {2, 2}};
    DoubleList values{0, 1, 2, 3, 4, 5};
    EXPECT_EQ(RemoveDuplicatePointsPaired(points, values), 3u);
    EXPECT_EQ(points, (PointList{{0, 0}, {1, 1}, {2, 2}}));
    EXPECT_EQ(values, (DoubleList{0, 2, 5}));
    PointList apart{{0, 0}, {0, 2e-6}};
    EXPECT_EQ(RemoveDuplicatePoints(apart), 2u);
    PointList one{{3, 3}};
    EXPECT_EQ(RemoveDuplicatePoints(one), 1u);
}

TEST(StraightLineKernel, PointInPolygonSignsAndDegenerateRings) {
    const PointList square{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    EXPECT_EQ(PointInPolygon(square, 2, 2), -1);
    EXPECT_EQ(PointInPolygon(square, 5, 2), 1);
    EXPECT_EQ(PointInPolygon(square, 4, 4), 0);
    EXPECT_EQ(PointInPolygon(square, 0, 2), 0);  // on the closing edge
    EXPECT_EQ(PointInPolygon(square, -1, 0), 1);  // the ray runs along an edge
    EXPECT_EQ(PointInPolygon({{0, 0}, {1, 1}}, 0, 0), -2);
    // A repeated vertex (an edge of length 0) changes nothing.
    EXPECT_EQ(PointInPolygon({{0, 0}, {4, 0}, {4, 0}, {4, 4}, {0, 4}}, 2, 2), -1);
}

// Simple rings on a small grid: vertices sorted by angle around a point off the grid.
PointList RandomStarRing(std::mt19937& random) {
    std::uniform_int_distribution<int> coord(0, 8);
    std::uniform_int_distribution<int> count(3, 9);
    PointList ring;
    for (int i = count(random); i > 0; --i) ring.push_back({double(coord(random)), double(coord(random))});
    const double cx = 4.37, cy = 4.61;
    std::sort(ring.begin(), ring.end(), [&](const Point2d& p, const Point2d& q) {
        return std::atan2(p.y - cy, p.x - cx) < std::atan2(q.y - cy, q.x - cx);
    });
    ring.erase(std::unique(ring.begin(), ring.end()), ring.end());
    return ring;
}

TEST(StraightLineKernel, PointInPolygonAgreesWithGeosOnGridRings) {
    std::mt19937 random(14);
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        const PointList ring = RandomStarRing(random);
        if (ring.size() < 3) continue;
        for (int x = -1; x <= 18; ++x) {
            for (int y = -1; y <= 18; ++y) {
                const Point2d p{x / 2.0, y / 2.0};  // half steps reach edge midpoints too
                const int expected = testing::GeosPointLocation(ring, p);
                if (expected == 2) break;
                ASSERT_EQ(PointInPolygon(ring, p.x, p.y), expected) << "ring " << round << " at " << p.x << "," << p.y;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 10000);
}

TEST(StraightLineKernel, SegmentIntersectionsAgreeWithGeosOnGridSegments) {
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> coord(0, 5);
    auto point = [&] { return Point2d{double(coord(random)), double(coord(random))}; };
    auto sorted = [](PointList p) {
        std::sort(p.begin(), p.end(), [](const Point2d& u, const Point2d& v) { return u.x < v.x || (u.x == v.x && u.y < v.y); });
        return p;
    };
    int meetings = 0;
    for (int round = 0; round < 20000; ++round) {
        const Point2d a = point(), b = point(), c = point(), d = point();
        if (a == b || c == d) continue;
        const ParameterBounds bounds1{SignedSquare(-1e-6), SignedSquare(std::sqrt(SquaredDistance(a, b)) + 1e-6)};
        const ParameterBounds bounds2{SignedSquare(-1e-6), SignedSquare(std::sqrt(SquaredDistance(c, d)) + 1e-6)};
        PointList ours;
        DoubleList params;
        SegmentSegmentIntersection(a, b, c, d, bounds1, bounds2, ours, params);
        PointList theirs = testing::GeosSegmentIntersection(a, b, c, d);
        ours = sorted(ours);
        theirs = sorted(theirs);
        ASSERT_EQ(ours.size(), theirs.size()) << a.x << "," << a.y << " " << b.x << "," << b.y << " / " << c.x << ","
                                              << c.y << " " << d.x << "," << d.y;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            EXPECT_NEAR(ours[i].x, theirs[i].x, 1e-9);
            EXPECT_NEAR(ours[i].y, theirs[i].y, 1e-9);
        }
        meetings += !ours.empty();
    }
    EXPECT_GT(meetings, 1000);
}

}  // namespace
}  // namespace geometry
