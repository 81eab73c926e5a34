// Distances from a point to point lists and polylines, and the grid of visited points checked
// against the plain search over the same points.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/gap_distances.h"

namespace geometry {
namespace {

TEST(GapDistances, PointListsAndOpenPolylines) {
    const PointList points = {{0, 0}, {3, 4}, {3, 4}, {-3, -4}};
    Point2d nearest{99, 99};
    EXPECT_DOUBLE_EQ(NearestPointDistance(points, {3, 5}, nearest), 1.0);
    EXPECT_EQ(nearest, (Point2d{3, 4}));
    // Equal distances: the first in the list.
    EXPECT_DOUBLE_EQ(NearestPointDistance(points, {0, 0.5}, nearest), 0.5);
    EXPECT_EQ(nearest, (Point2d{0, 0}));
    EXPECT_DOUBLE_EQ(NearestPointDistance({{3, 4}, {-3, -4}}, {0, 0}, nearest), 5.0);
    EXPECT_EQ(nearest, (Point2d{3, 4}));
    nearest = {7, 7};
    EXPECT_EQ(NearestPointDistance({}, {1, 1}, nearest), 0.0);
    EXPECT_EQ(nearest, (Point2d{7, 7}));

    EXPECT_TRUE(AnyPointWithin(points, {3, 6}, 2.0));  // exactly at the distance counts
    EXPECT_FALSE(AnyPointWithin(points, {3, 6.01}, 2.0));
    EXPECT_FALSE(AnyPointWithin({}, {0, 0}, 1e9));
    EXPECT_DOUBLE_EQ(SquaredDistance2d({1, 2}, {4, 6}), 25.0);

    // The polyline is open: no closing side from the last point back to the first.
    const PointList path = {{0, 0}, {10, 0}, {10, 10}};
    EXPECT_DOUBLE_EQ(DistanceToPolyline(path, {5, 2}), 2.0);
    EXPECT_DOUBLE_EQ(DistanceToPolyline(path, {12, 5}), 2.0);
    EXPECT_DOUBLE_EQ(DistanceToPolyline(path, {-3, -4}), 5.0);
    EXPECT_NEAR(DistanceToPolyline(path, {4, 6}), 6.0, 1e-12);  // not 2/sqrt(2) off the chord (0,0)-(10,10)
    EXPECT_DOUBLE_EQ(DistanceToPolyline({{1, 1}}, {4, 5}), 5.0);
    EXPECT_EQ(DistanceToPolyline({}, {4, 5}), 0.0);
}

TEST(GapDistances, GridAnswersAsThePlainSearch) {
    // Survey coordinates, points on a lattice of the grid's own spacing (distances of exactly d
    // between neighbours) and random points near them.
    for (const double d : {0.1, 0.0001, 1.0, 0.05}) {
        std::mt19937 random(17);
        std::uniform_real_distribution<double> jitter(-2 * d, 2 * d);
        std::uniform_int_distribution<int> step(-20, 20);
        const double x0 = 512345.6, y0 = 3456789.1;
        PointGrid grid(d);
        PointList added;
        int covered = 0, free = 0;
        for (int i = 0; i < 4000; ++i) {
            Point2d p{x0 + step(random) * d, y0 + step(random) * d};
            if (i % 2 == 1) p = {p.x + jitter(random), p.y + jitter(random)};
            const bool expected = AnyPointWithin(added, p, d);
            ASSERT_EQ(grid.AnyWithin(p), expected) << "d " << d << " point " << i;
            ASSERT_EQ(grid.TestAndAdd(p), expected);
            if (!expected) added.push_back(p);
            (expected ? covered : free) += 1;
        }
        EXPECT_EQ(grid.Size(), added.size());
        EXPECT_GT(covered, 100);
        EXPECT_GT(free, 100);
    }

    // Negative and huge coordinates, and a point that is not a number.
    PointGrid grid(0.5);
    grid.Add({-0.25, -0.25});
    EXPECT_TRUE(grid.AnyWithin({0.0, 0.0}));
    EXPECT_TRUE(grid.AnyWithin({-0.75, -0.25}));
    EXPECT_FALSE(grid.AnyWithin({-0.76, -0.25}));
    grid.Add({1e300, -1e300});
    EXPECT_TRUE(grid.AnyWithin({1e300, -1e300}));
    EXPECT_FALSE(grid.AnyWithin({1e300, 1e300}));
    EXPECT_FALSE(grid.AnyWithin({std::nan(""), 0.0}));

    // A distance that is no finite number above 0 finds exact matches only.
    for (const double bad : {0.0, -1.0, std::nan(""), static_cast<double>(INFINITY)}) {
        PointGrid exact(bad);
        EXPECT_FALSE(exact.TestAndAdd({3, 4}));
        EXPECT_TRUE(exact.TestAndAdd({3, 4}));
        EXPECT_FALSE(exact.AnyWithin({3, 4.000001}));
    }
}

}  // namespace
}  // namespace geometry
