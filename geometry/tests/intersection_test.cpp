#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "geometry/bulge_arc.h"
#include "geometry/circle_intersection.h"
#include "geometry/line_primitives.h"
#include "geometry/pair_intersection.h"
#include "geometry/polyline_intersection.h"

namespace geometry {
namespace {

constexpr double kEps = 1e-9;
const ParameterBounds kClosed{SignedSquare(-1e-6), 1e300};

void ExpectPoint(const Point2d& p, double x, double y) {
    EXPECT_NEAR(p.x, x, kEps);
    EXPECT_NEAR(p.y, y, kEps);
}

TEST(LineKernel, LinesCirclesAndArcs) {
    const LineCoeffs up = LineCoefficients(0, 0, 1, 1);
    const LineCoeffs down = LineCoefficients(1, 1, 0, 0);
    EXPECT_DOUBLE_EQ(up.a, 1);
    EXPECT_DOUBLE_EQ(up.b, -1);
    EXPECT_DOUBLE_EQ(up.c, 0);
    EXPECT_DOUBLE_EQ(down.a, 1);
    EXPECT_DOUBLE_EQ(down.b, -1);
    EXPECT_DOUBLE_EQ(down.c, 0);

    Point2d p, q;
    EXPECT_EQ(CircleCircleIntersection({0, 0}, 1, {0, 0}, 1, p, q), -1);
    EXPECT_EQ(CircleCircleIntersection({0, 0}, 1, {3, 0}, 1, p, q), 0);
    EXPECT_EQ(CircleCircleIntersection({0, 0}, 3, {0.5, 0}, 1, p, q), 0);
    EXPECT_EQ(CircleCircleIntersection({0, 0}, 1, {2, 0}, 1, p, q), 1);
    ExpectPoint(p, 1, 0);
    ExpectPoint(q, 1, 0);
    ASSERT_EQ(CircleCircleIntersection({0, 0}, std::sqrt(2.0), {2, 0}, std::sqrt(2.0), p, q), 2);
    EXPECT_NEAR(p.x, 1, kEps);
    EXPECT_NEAR(std::fabs(p.y), 1, kEps);
    EXPECT_NEAR(p.y, -q.y, kEps);

    // Tangent lines give one point, axis-parallel and general lines alike.
    EXPECT_EQ(LineCircleIntersection(0, 0, 1, 0, 1, -1, p, q), 1);  // y = 1
    ExpectPoint(p, 0, 1);
    EXPECT_EQ(LineCircleIntersection(0, 0, 1, 1, 0, 1, p, q), 1);  // x = -1
    ExpectPoint(p, -1, 0);
    const double r = std::sqrt(0.5);
    EXPECT_EQ(LineCircleIntersection(0, 0, r, 1, 1, -1, p, q), 1);  // x + y = 1
    ExpectPoint(p, 0.5, 0.5);
    ASSERT_EQ(LineCircleIntersection(1, 1, 1, 1, -1, 0, p, q), 2);  // y = x through the centre
    EXPECT_NEAR(std::fabs(p.x - 1), r, kEps);
    EXPECT_NEAR(p.x, p.y, kEps);
    EXPECT_EQ(LineCircleIntersection(0, 0, 1, 0, 1, -2, p, q), 0);
    EXPECT_EQ(LineCircleIntersection(0, 0, 1, 0, 0, 1, p, q), 0);

    double out[2];
    ASSERT_EQ(IntervalOverlap(0, 1, 1, 2, out), 1);
    EXPECT_EQ(out[0], 1);
    ASSERT_EQ(IntervalOverlap(0, 2, 1, 3, out), 2);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(IntervalOverlap(0, 1, 1.5, 2, out), 0);

    // Bulge 1 from (0,0) to (2,0) is the lower half circle, run counter-clockwise.
    Point2d centre;
    double radius = 0;
    ArcCentreFromBulge({0, 0}, {2, 0}, 1, centre, radius);
    ExpectPoint(centre, 1, 0);
    EXPECT_NEAR(radius, 1, kEps);
    EXPECT_NEAR(ArcParameter({1, -1}, centre, {0, 0}, {2, 0}, false), 0.5, kEps);
    EXPECT_NEAR(ArcLength(centre, radius, {0, 0}, {2, 0}, false), std::numbers::pi, kEps);
    ArcCentreFromBulge({0, 0}, {2, 0}, 0.5, centre, radius);
    ExpectPoint(centre, 1, 0.75);
    EXPECT_NEAR(radius, 1.25, kEps);
    ArcCentreFromBulge({0, 0}, {2, 0}, -0.5, centre, radius);
    ExpectPoint(centre, 1, -0.75);
    EXPECT_NEAR(ArcParameter({1, 0.5}, centre, {0, 0}, {2, 0}, true), 0.5, kEps);
    // Slightly before the start counts as a small negative fraction, not as nearly a full turn.
    ArcCentreFromBulge({0, 0}, {2, 0}, 1, centre, radius);
    EXPECT_LT(ArcParameter({std::cos(std::numbers::pi - 1e-3) + 1, std::sin(std::numbers::pi - 1e-3)}, centre,
                           {0, 0}, {2, 0}, false),
              0.0);
}

TEST(LineKernel, PairIntersections) {
    PointList points;
    DoubleList params;
    EXPECT_EQ(SegmentSegmentIntersection({0, 0}, {2, 0}, {1, -1}, {1, 1}, kClosed, kClosed, points, params), 1);
    ExpectPoint(points[0], 1, 0);
    EXPECT_NEAR(params[0], 0.5, kEps);

    // Collinear overlap gives both ends of the common stretch, bit-equal to the given ends.
    points.clear();
    params.clear();
    EXPECT_EQ(SegmentSegmentIntersection({0, 0}, {2, 0}, {1, 0}, {3, 0}, kClosed, kClosed, points, params), 2);
    EXPECT_EQ(points[0], (Point2d{1, 0}));
    EXPECT_EQ(points[1], (Point2d{2, 0}));
    EXPECT_EQ(params[1], 1.0);

    points.clear();
    params.clear();
    EXPECT_EQ(SegmentSegmentIntersection({0, 0}, {2, 0}, {0, 1e-3}, {2, 1e-3}, kClosed, kClosed, points, params), 0);
    // Bounds: the end of the first segment is excluded when its upper bound stops short of it.
    const ParameterBounds shortOfEnd{SignedSquare(-1e-6), SignedSquare(2 - 1e-6)};
    EXPECT_EQ(SegmentSegmentIntersection({0, 0}, {2, 0}, {2, -1}, {2, 1}, shortOfEnd, kClosed, points, params), 0);
    // Short segments still meet: only lengths below 1e-10 have no direction.
    EXPECT_EQ(SegmentSegmentIntersection({0, 0}, {1e-4, 0}, {5e-5, -1e-4}, {5e-5, 1e-4}, kClosed, kClosed, points,
                                         params),
              1);

    // A vertical segment through the lower half circle of bulge 1.
    points.clear();
    params.clear();
    const ParameterBounds halfCircle{SignedSquare(-1e-6), SignedSquare(std::numbers::pi + 1e-6)};
    ASSERT_EQ(SegmentArcIntersection({1, -2}, {1, 2}, {0, 0}, {2, 0}, 1, kClosed, halfCircle, points, params), 1);
    ExpectPoint(points[0], 1, -1);
    EXPECT_NEAR(params[0], 0.25, kEps);
    points.clear();
    params.clear();
    ASSERT_EQ(ArcSegmentIntersection({0, 0}, {2, 0}, 1, {1, -2}, {1, 2}, halfCircle, kClosed, points, params), 1);
    ExpectPoint(points[0], 1, -1);
    EXPECT_NEAR(params[0], 0.5, kEps);

    // Two arcs of one circle: the lower half against the quarter from its middle to its end.
    points.clear();
    params.clear();
    const double b = std::tan(std::numbers::pi / 8);
    const ParameterBounds quarter{SignedSquare(-1e-6), SignedSquare(std::numbers::pi / 2 + 1e-6)};
    ASSERT_EQ(ArcArcIntersection({0, 0}, {2, 0}, 1, {1, -1}, {2, 0}, b, halfCircle, quarter, points, params), 3);
    ExpectPoint(points[0], 1, -1);
    EXPECT_NEAR(params[0], 0.5, kEps);
    ExpectPoint(points[1], 2, 0);
    EXPECT_NEAR(params[1], 1.0, kEps);
    EXPECT_EQ(params[2], 1.0);
    // Arcs of different circles crossing twice.
    points.clear();
    params.clear();
    EXPECT_EQ(ArcArcIntersection({0, 0}, {2, 0}, -1, {1, 0}, {3, 0}, -1, halfCircle, halfCircle, points, params), 1);
    ExpectPoint(points[0], 1.5, std::sqrt(0.75));
}

TEST(LineKernel, PolylineIntersectionsKeepEveryPlaceOfTheFirstRing) {
    const PointList square{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    const DoubleList flat(5, 0.0);
    PointList points;
    DoubleList params;
    // Against itself: every vertex, the closing one too, although it is the first point again.
    ASSERT_EQ(PolylineIntersections(square, flat, square, flat, points, params), 5);
    for (int k = 0; k < 5; ++k) {
        const size_t at = static_cast<size_t>(std::find(params.begin(), params.end(), k) - params.begin());
        ASSERT_LT(at, params.size()) << k;
        EXPECT_EQ(points[at], square[k]);
    }

    // A figure eight crosses itself at (1, 1) on two segments: both places are kept.
    const PointList eight{{0, 0}, {2, 2}, {2, 0}, {0, 2}, {0, 0}};
    PolylineIntersections(eight, flat, eight, flat, points, params);
    int atCrossing = 0;
    for (size_t k = 0; k < points.size(); ++k) {
        if (SquaredDistance(points[k], {1, 1}) < 1e-12) {
            ++atCrossing;
            EXPECT_TRUE(std::fabs(params[k] - 0.5) < 1e-9 || std::fabs(params[k] - 2.5) < 1e-9) << params[k];
        }
    }
    EXPECT_EQ(atCrossing, 2);

    // A point found on two segments of the second ring (its vertex) is listed once; points come
    // in the order of the segments that found them.
    const PointList diamond{{1, -1}, {2, 0}, {1, 1}, {0, 0}, {1, -1}};
    PolylineIntersections(PointList{{-1, 0}, {3, 0}}, DoubleList{0, 0}, diamond, flat, points, params);
    ASSERT_EQ(points.size(), 2u);
    ExpectPoint(points[0], 2, 0);
    EXPECT_NEAR(params[0], 0.75, kEps);
    ExpectPoint(points[1], 0, 0);
}

TEST(LineKernel, IndexedPolylineGivesTheSameAsTestingEveryPair) {
    // Long random rings go through the segment index; compare with every pair tested in order.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coord(0, 100);
    std::bernoulli_distribution arc(0.2);
    std::uniform_real_distribution<double> bulge(-1.5, 1.5);
    for (int round = 0; round < 5; ++round) {
        PointList a, b;
        DoubleList ab, bb;
        for (int k = 0; k < 120; ++k) {
            a.push_back({coord(random), coord(random)});
            ab.push_back(arc(random) ? bulge(random) : 0.0);
            b.push_back({coord(random), coord(random)});
            bb.push_back(arc(random) ? bulge(random) : 0.0);
        }
        a.push_back(a.front());
        ab.push_back(0);
        PointList points;
        DoubleList params;
        PolylineIntersections(a, ab, b, bb, points, params);

        PointList expected;
        DoubleList expectedParams;
        auto lengthOf = [](const Point2d& p0, const Point2d& p1, double b) {
            if (std::fabs(b) < 1e-10) return std::sqrt(SquaredDistance(p0, p1));
            Point2d centre;
            double radius = 0;
            ArcCentreFromBulge(p0, p1, b, centre, radius);
            return ArcLength(centre, radius, p0, p1, b < 0);
        };
        for (size_t k = 0; k + 1 < a.size(); ++k) {
            const bool last = k + 2 == a.size();
            const double len = lengthOf(a[k], a[k + 1], ab[k]);
            const ParameterBounds bounds1{SignedSquare(-1e-6), SignedSquare(len + (last ? 1e-6 : -1e-6))};
            const size_t before = expected.size();
            for (size_t j = 0; j + 1 < b.size(); ++j) {
                const ParameterBounds bounds2{SignedSquare(-1e-6), SignedSquare(lengthOf(b[j], b[j + 1], bb[j]) + 1e-6)};
                const bool straight1 = std::fabs(ab[k]) < 1e-10;
                const bool straight2 = std::fabs(bb[j]) < 1e-10;
                if (straight1 && straight2) {
                    SegmentSegmentIntersection(a[k], a[k + 1], b[j], b[j + 1], bounds1, bounds2, expected, expectedParams);
                } else if (straight1) {
                    SegmentArcIntersection(a[k], a[k + 1], b[j], b[j + 1], bb[j], bounds1, bounds2, expected, expectedParams);
                } else if (straight2) {
                    ArcSegmentIntersection(a[k], a[k + 1], ab[k], b[j], b[j + 1], bounds1, bounds2, expected, expectedParams);
                } else {
                    ArcArcIntersection(a[k], a[k + 1], ab[k], b[j], b[j + 1], bb[j], bounds1, bounds2, expected,
                                       expectedParams);
                }
            }
            for (size_t i = before; i < expectedParams.size(); ++i) expectedParams[i] += static_cast<double>(k);
        }
        ASSERT_GE(points.size(), 20u);
        EXPECT_EQ(points.size(), expected.size());
        for (size_t i = 0; i < std::min(points.size(), expected.size()); ++i) {
            EXPECT_NEAR(params[i], expectedParams[i], 1e-12);
        }
    }
}

}  // namespace
}  // namespace geometry
