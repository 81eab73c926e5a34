#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/extents.h"
#include "geometry/parameter_sort.h"
#include "geometry/piece_set.h"
#include "geometry/point_clusters.h"
#include "geometry/topology_records.h"

namespace geometry {
namespace {

TEST(TopologyRecords, ComparisonsAndExtents) {
    EXPECT_EQ(ComparePoints({0, 0}, {0.9e-5, 0.9e-5}), 0);
    EXPECT_EQ(ComparePoints({0, 0}, {1e-5, -100}), -1);  // far on x: by x, whatever y does
    EXPECT_EQ(ComparePoints({1e-5, -100}, {0, 0}), 1);
    EXPECT_EQ(ComparePoints({0, 5}, {0.5e-5, 1}), 1);  // x within the tolerance: by y
    EXPECT_EQ(ComparePoints({0, 1}, {0.5e-5, 5}), -1);

    EXPECT_EQ(CompareSegments({{0, 0}, {10, 0}, 0.5}, {{10, 0}, {0, 0}, -0.5}), 0);
    EXPECT_NE(CompareSegments({{0, 0}, {10, 0}, 0.5}, {{10, 0}, {0, 0}, 0.5}), 0);
    EXPECT_EQ(CompareSegments({{0, 0}, {1, 1}, 0.3}, {{0, 0}, {1, 1}, 0.30000005}), 0);
    EXPECT_EQ(CompareSegments({{0, 0}, {1, 1}, 0.3}, {{0, 0}, {1, 1}, 0.3000002}), -1);
    EXPECT_EQ(CompareSegments({{0, 0}, {1, 1}, 0}, {{0, 0}, {1, 2}, 0}), -1);

    const Extents unit = PointsExtents({{0, 0}, {1, 1}});
    EXPECT_TRUE(ExtentsTouch(unit, PointsExtents({{1, 0}, {2, 1}})));  // a shared edge
    EXPECT_TRUE(ExtentsTouch(unit, PointsExtents({{1, 1}, {2, 2}})));  // a shared corner
    EXPECT_FALSE(ExtentsTouch(unit, PointsExtents({{1.0000001, 0}, {2, 1}})));
    EXPECT_FALSE(ExtentsTouch(unit, PointsExtents({})));

    EXPECT_NEAR(VectorAngle(0, -1), 1.5 * 3.141592653589793, 1e-15);
    EXPECT_EQ(VectorAngle(1, -0.0), 0.0);
}

TEST(TopologyRecords, ParameterSortKeepsPairs) {
    DoubleList params{2.5, std::numeric_limits<double>::quiet_NaN(), 0.0, 1.0, 0.5};
    PointList points{{2.5, 0}, {9, 9}, {0, 0}, {1, 0}, {0.5, 0}};
    SortParameters(params, points);
    for (size_t k = 0; k + 1 < params.size(); ++k) {
        EXPECT_EQ(points[k].x, params[k]);
        if (k + 2 < params.size()) {
            EXPECT_LT(params[k], params[k + 1]);
        }
    }
    EXPECT_TRUE(std::isnan(params.back()));
    EXPECT_EQ(points.back(), (Point2d{9, 9}));

    // Sorted input of a long ring stays fast and in order (a first-element pivot would not).
    DoubleList sorted;
    PointList along;
    for (int k = 0; k < 200000; ++k) {
        sorted.push_back(k);
        along.push_back({static_cast<double>(k), 0});
    }
    SortParameters(sorted, along);
    EXPECT_EQ(along[123456].x, 123456);
}

TEST(TopologyRecords, ClustersAndPieceSet) {
    // Points 0.6e-5 apart in a row: the second joins the first, the third is apart from the
    // first (its representative) and makes its own cluster.
    PointClusters clusters(kPointTolerance);
    bool created = false;
    EXPECT_EQ(clusters.Insert({0, 0}, &created), 0u);
    EXPECT_TRUE(created);
    EXPECT_EQ(clusters.Insert({0.6e-5, 0}, &created), 0u);
    EXPECT_FALSE(created);
    EXPECT_EQ(clusters.Insert({1.2e-5, 0}), 1u);
    EXPECT_EQ(clusters.Insert({0.9e-5, 0.5e-5}), 0u);  // near both: the first seen wins
    // Across cell borders and at survey coordinates.
    EXPECT_EQ(clusters.Insert({500000.0000799, 3000000}), 2u);
    EXPECT_EQ(clusters.Insert({500000.0000801, 2999999.999991}), 2u);
    EXPECT_EQ(clusters.Insert({-1e-6, -1e-6}), 0u);
    EXPECT_EQ(clusters.Insert({std::numeric_limits<double>::quiet_NaN(), 0}), 3u);

    PieceSet set;
    EXPECT_TRUE(set.Insert({{10, 0}, {0, 0}, 0.5}));
    EXPECT_FALSE(set.Insert({{0, 0}, {10, 0}, -0.5}));         // the same piece reversed
    EXPECT_FALSE(set.Insert({{0.000004, 0}, {10, 0}, -0.5000000}));
    EXPECT_TRUE(set.Insert({{0, 0}, {10, 0}, 0.5}));           // the other arc on that chord
    EXPECT_TRUE(set.Insert({{0, 0}, {10, 0}, 0}));
    EXPECT_FALSE(set.Insert({{0, 0}, {10, 0}, 0.00000005}));
    EXPECT_TRUE(set.Insert({{-5, 3}, {0, 0}, 0}));
    const std::vector<TopoSegment> ordered = set.Ordered();
    ASSERT_EQ(ordered.size(), 4u);
    // Set order: canonical start, end, then bulge; stored pieces keep their first direction.
    EXPECT_EQ(ordered[0].start, (Point2d{-5, 3}));
    EXPECT_EQ(ordered[1].bulge, 0.5);   // canonical -0.5
    EXPECT_EQ(ordered[1].start, (Point2d{10, 0}));
    EXPECT_EQ(ordered[2].bulge, 0.0);
    EXPECT_EQ(ordered[3].bulge, 0.5);
    EXPECT_EQ(ordered[3].start, (Point2d{0, 0}));
}

}  // namespace
}  // namespace geometry
