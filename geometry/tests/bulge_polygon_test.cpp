#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "geometry/bulge_polygon.h"
#include "geometry/bulge_polyline.h"
#include "geometry/ring_relation.h"

namespace geometry {
namespace {

constexpr double kPi = std::numbers::pi;
const double kQuarter = std::sqrt(2.0) - 1.0;  // bulge of a quarter circle

PointList Moved(PointList points, double dx, double dy) {
    for (Point2d& p : points) p = {p.x + dx, p.y + dy};
    return points;
}

TEST(PointInBulgePolygon, StraightSidesVerticesAndRefusals) {
    const PointList square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const DoubleList flat(4, 0.0);
    EXPECT_EQ(PointInBulgePolygon({{0, 0}, {1, 0}}, {0, 0}, 0.5, 0.5), -2);
    EXPECT_EQ(PointInBulgePolygon(square, {0, 0}, 5, 5), -2);  // lists of different lengths
    EXPECT_EQ(PointInBulgePolygon(square, flat, 5, 5), 1);
    EXPECT_EQ(PointInBulgePolygon(square, flat, 15, 5), -1);
    EXPECT_EQ(PointInBulgePolygon(square, flat, 5, 0), 0);
    EXPECT_EQ(PointInBulgePolygon(square, flat, 10, 10), 0);
    // Near a slanted side counts as on it, the extension beyond its end does not.
    const PointList triangle{{0, 0}, {10, 10}, {0, 10}};
    EXPECT_EQ(PointInBulgePolygon(triangle, DoubleList(3, 0.0), 5.0005, 4.9995), 0);
    EXPECT_EQ(PointInBulgePolygon(triangle, DoubleList(3, 0.0), 11, 11), -1);
    // A ray through a vertex: once where the sides go up and down, never where both go the same way.
    const PointList diamond{{0, 0}, {5, -5}, {10, 0}, {5, 5}};
    EXPECT_EQ(PointInBulgePolygon(diamond, DoubleList(4, 0.0), 2, 0), 1);
    EXPECT_EQ(PointInBulgePolygon(diamond, DoubleList(4, 0.0), -2, 0), -1);
    const PointList notch{{0, 0}, {10, 0}, {10, 10}, {5, 5}, {0, 10}};
    EXPECT_EQ(PointInBulgePolygon(notch, DoubleList(5, 0.0), 1, 5), 1);
    EXPECT_EQ(PointInBulgePolygon(notch, DoubleList(5, 0.0), -1, 5), -1);
    const PointList peak{{0, 0}, {10, 0}, {5, 5}};
    EXPECT_EQ(PointInBulgePolygon(peak, DoubleList(3, 0.0), 1, 5), -1);
}

TEST(PointInBulgePolygon, ArcSides) {
    // A square whose top side bulges out as a half circle.
    const PointList dome{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const DoubleList domeBulges{0, 0, 1, 0};
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, 5, 14), 1);
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, 5, 15.001), -1);
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, 5, 15), 0);
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, 2, 13), 1);
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, 9.9, 14.9), -1);
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, -1, 10), -1);  // ray through both arc ends
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, 5, 10), 1);
    // The same ring clockwise, the arc now of bulge -1.
    const PointList back{{0, 10}, {10, 10}, {10, 0}, {0, 0}};
    const DoubleList backBulges{-1, 0, 0, 0};
    EXPECT_EQ(PointInBulgePolygon(back, backBulges, 5, 14), 1);
    EXPECT_EQ(PointInBulgePolygon(back, backBulges, 5, 16), -1);
    EXPECT_EQ(PointInBulgePolygon(back, backBulges, -1, 10), -1);
    // An arc passing angle 0 (right side bulging out), a point on it and one just beyond.
    const DoubleList right{0, 1, 0, 0};
    EXPECT_EQ(PointInBulgePolygon(dome, right, 15, 5), 0);
    EXPECT_EQ(PointInBulgePolygon(dome, right, 10 + 5 * std::cos(0.3), 5 - 5 * std::sin(0.3)), 0);
    EXPECT_EQ(PointInBulgePolygon(dome, right, 14.9, 5), 1);
    EXPECT_EQ(PointInBulgePolygon(dome, right, 15.1, 5), -1);
    // A ray touching the arc's top grazes it: outside stays outside.
    EXPECT_EQ(PointInBulgePolygon(dome, right, -1, 5), -1);
    EXPECT_EQ(PointInBulgePolygon(dome, domeBulges, -1, 15), -1);
    // A side bulging in.
    const DoubleList dent{0, 0, -1, 0};
    EXPECT_EQ(PointInBulgePolygon(dome, dent, 5, 6), -1);
    EXPECT_EQ(PointInBulgePolygon(dome, dent, 5, 4), 1);
    // An arc whose ends coincide adds nothing.
    const PointList withRepeat{{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_EQ(PointInBulgePolygon(withRepeat, {0, 1, 0, 0, 0}, 5, 5), 1);
    // Survey coordinates: the middle of a shared arc is on it despite rounding.
    const PointList far = Moved(dome, 512345.678, 3401234.567);
    EXPECT_EQ(PointInBulgePolygon(far, domeBulges, 512350.678, 3401249.567), 0);
    EXPECT_EQ(PointInBulgePolygon(far, domeBulges, 512345.678 + 5 - 5 * std::cos(1.0),
                                  3401234.567 + 10 + 5 * std::sin(1.0)),
              0);
}

TEST(BulgePolyline, ParametersPointsAndDistances) {
    const PointList dome{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const DoubleList bulges{0, 0, 1, 0};
    Point2d p;
    ASSERT_TRUE(PointAtPolylineParameter(dome, bulges, 2.0000001, true, 0.001, p));
    EXPECT_EQ(p, dome[2]);
    EXPECT_FALSE(PointAtPolylineParameter(dome, bulges, 4.5, true, 0.001, p));
    EXPECT_FALSE(PointAtPolylineParameter(dome, bulges, 3.5, false, 0.001, p));
    EXPECT_FALSE(PointAtPolylineParameter(dome, bulges, -0.1, true, 0.001, p));
    EXPECT_FALSE(PointAtPolylineParameter(dome, bulges, std::nan(""), true, 0.001, p));
    EXPECT_FALSE(PointAtPolylineParameter(dome, {0, 0}, 1, true, 0.001, p));
    ASSERT_TRUE(PointAtPolylineParameter(dome, bulges, 2.5, true, 0.001, p));
    EXPECT_NEAR(p.x, 5, 1e-9);
    EXPECT_NEAR(p.y, 15, 1e-9);
    ASSERT_TRUE(PointAtPolylineParameter(dome, bulges, 4, true, 0.001, p));
    EXPECT_EQ(p, dome[0]);
    // Parameters map back to their points, on arcs of either sense and on straight sides.
    for (const DoubleList& b : {bulges, DoubleList{0, 0, -0.4, 0}, DoubleList{0.3, 0, 0, -1}}) {
        for (double t : {0.25, 1.5, 2.1, 2.75, 3.9}) {
            double back = 0;
            ASSERT_TRUE(PointAtPolylineParameter(dome, b, t, true, 0.001, p));
            ASSERT_TRUE(PointParameterOnPolyline(dome, b, p, true, 0.001, back)) << t;
            EXPECT_NEAR(back, t, 1e-7);
        }
    }
    double t = 0;
    EXPECT_FALSE(PointParameterOnPolyline(dome, bulges, {5, 5}, true, 0.001, t));
    EXPECT_FALSE(PointParameterOnPolyline(dome, bulges, {5, 10}, true, 0.001, t));  // the chord, not the arc
    ASSERT_TRUE(PointParameterOnPolyline(dome, bulges, {0, 0}, true, 0.001, t));
    EXPECT_EQ(t, 0.0);

    double d = 0;
    Point2d nearest;
    EXPECT_FALSE(DistanceToBulgePolyline({}, {}, true, {1, 1}, 0.001, d, nearest));
    ASSERT_TRUE(DistanceToBulgePolyline(dome, bulges, true, {5, 17}, 0.001, d, nearest));
    EXPECT_NEAR(d, 2, 1e-9);
    ASSERT_TRUE(DistanceToBulgePolyline(dome, bulges, false, {-3, 5}, 0.001, d, nearest));
    EXPECT_NEAR(d, std::hypot(3, 5), 1e-9);  // open: no closing side; the arc ends before it
    ASSERT_TRUE(DistanceToBulgePolyline(dome, bulges, true, {-3, 5}, 0.001, d, nearest));
    EXPECT_NEAR(d, 3, 1e-9);
}

TEST(BulgePolyline, SplitArcsAndMeetingPoints) {
    double first = 0, second = 0;
    const PointList line{{0, 0}, {2, 0}};
    ASSERT_TRUE(SplitSegmentBulges(line, {1, 0}, 0, {1, -1}, 0.001, first, second));
    EXPECT_NEAR(first, kQuarter, 1e-12);
    EXPECT_NEAR(second, kQuarter, 1e-12);
    ASSERT_TRUE(SplitSegmentBulges(line, {-1, 0}, 0, {1, 1}, 0.001, first, second));
    EXPECT_NEAR(first, -kQuarter, 1e-12);
    EXPECT_NEAR(second, -kQuarter, 1e-12);
    EXPECT_FALSE(SplitSegmentBulges(line, {1, 0}, 0, {2, 0}, 0.001, first, second));
    EXPECT_FALSE(SplitSegmentBulges(line, {1, 0}, 5, {1, -1}, 0.001, first, second));
    // Three quarters of a circle split near its start: a short arc and one of over half a turn.
    const double threeQuarters = std::tan(3 * kPi / 8);
    ASSERT_TRUE(SplitSegmentBulges({{1, 0}, {0, -1}}, {threeQuarters, 0}, 0, {0, 1}, 0.001, first, second));
    EXPECT_NEAR(first, kQuarter, 1e-12);
    EXPECT_NEAR(second, 1, 1e-12);
    EXPECT_NEAR(SubArcBulge({0, 0}, 1, {1, 0}, {0, -1}, false), threeQuarters, 1e-12);
    EXPECT_NEAR(SubArcBulge({0, 0}, 1, {1, 0}, {0, -1}, true), -kQuarter, 1e-12);
    EXPECT_EQ(SubArcBulge({0, 0}, 1, {1, 0}, {-1, 0}, true), -1);

    // A straight side crossing a half circle, a shared vertex and a common stretch.
    const PointList a{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    PointList out;
    IntersectBulgePolylines(a, {0, 0, 1, 0}, {{5, 12}, {20, 12}}, {0, 0}, true, false, 0.001, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(out[0].x, 5 + std::sqrt(21.0), 1e-9);
    out.clear();
    IntersectBulgePolylines(a, {0, 0, 0, 0}, {{10, 0}, {20, 0}, {20, 5}, {10, 5}}, {0, 0, 0, 0}, true, true, 0.001, out);
    EXPECT_FALSE(out.empty());
    for (const Point2d& p : out) EXPECT_TRUE((p == Point2d{10, 0}) || (p == Point2d{10, 5})) << p.x << " " << p.y;
    out.clear();
    IntersectBulgePolylines(a, {0, 0}, a, {0, 0, 0, 0}, true, true, 0.001, out);
    EXPECT_TRUE(out.empty());  // lists of different lengths
}

TEST(RingRelation, SquaresArcsAndCircles) {
    const PointList square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const DoubleList flat(4, 0.0);
    auto rel = [](const PointList& p1, const DoubleList& b1, const PointList& p2, const DoubleList& b2) {
        return RingRelation(p1, b1, p2, b2);
    };
    EXPECT_EQ(rel(square, flat, Moved(square, 10, 0), flat), kRelationTouch);
    EXPECT_EQ(rel(square, flat, Moved(square, 10, 10), flat), kRelationTouch);
    EXPECT_EQ(rel(square, flat, Moved(square, 11, 0), flat), kRelationApart);
    const PointList small{{2, 2}, {4, 2}, {4, 4}, {2, 4}};
    EXPECT_EQ(rel(small, flat, square, flat), kRelationFirstInside);
    EXPECT_EQ(rel(square, flat, small, flat), kRelationSecondInside);
    const PointList edge{{0, 2}, {4, 2}, {4, 4}, {0, 4}};
    EXPECT_EQ(rel(edge, flat, square, flat), kRelationFirstInsideTouching);
    EXPECT_EQ(rel(square, flat, edge, flat), kRelationSecondInsideTouching);
    EXPECT_EQ(rel(square, flat, Moved(square, 5, 5), flat), kRelationOverlap);
    EXPECT_EQ(rel(square, flat, square, flat), kRelationEqual);
    const PointList rotated{{10, 0}, {10, 10}, {0, 10}, {0, 0}, {0, 0}};
    EXPECT_EQ(rel(square, flat, rotated, DoubleList(5, 0.0)), kRelationEqual);

    // Two parcels sharing an arc side, also at survey coordinates.
    const PointList lower{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const PointList upper{{0, 10}, {10, 10}, {10, 20}, {0, 20}};
    EXPECT_EQ(rel(lower, {0, 0, 0.4, 0}, upper, {-0.4, 0, 0, 0}), kRelationTouch);
    EXPECT_EQ(rel(Moved(lower, 512345.678, 3401234.567), {0, 0, 0.4, 0}, Moved(upper, 512345.678, 3401234.567),
                  {-0.4, 0, 0, 0}),
              kRelationTouch);
    // A bulge that swallows part of the neighbour overlaps it.
    EXPECT_EQ(rel(lower, {0, 0, 0.4, 0}, upper, flat), kRelationOverlap);

    // A circle (two half circles) holds what lies in it; a lens likewise.
    const PointList circle{{15, 5}, {-5, 5}};
    EXPECT_EQ(rel(square, flat, circle, {1, 1}), kRelationFirstInside);
    EXPECT_EQ(rel({{4, 4}, {6, 4}}, {1, 1}, square, flat), kRelationFirstInside);
    EXPECT_EQ(rel({{4, 5}, {6, 5}}, {0.5, 0.5}, square, flat), kRelationFirstInside);
    EXPECT_EQ(rel(circle, {1, 1}, circle, {1, 1}), kRelationEqual);
    // What is left without an outline cannot be related.
    EXPECT_EQ(rel({{0, 0}, {1, 1}}, {0, 0}, square, flat), kRelationFirstUnreadable);
    EXPECT_EQ(rel(square, flat, {{0, 0}, {0, 0}, {1, 1}}, {0, 0, 0}), kRelationSecondUnreadable);
    EXPECT_EQ(rel(square, {0}, square, flat), kRelationFirstUnreadable);
}

}  // namespace
}  // namespace geometry
