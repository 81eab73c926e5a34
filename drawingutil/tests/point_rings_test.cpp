#include <gtest/gtest.h>

#include <vector>

#include "platform/cad/db_arc.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"

#include "drawing_fixture.h"
#include "drawingutil/closed_curve_points.h"
#include "drawingutil/point_in_curve.h"
#include "drawingutil/point_rings.h"

namespace {

class PointRingsTest : public DrawingTest {
protected:
    AcDbObjectId Lightweight(std::initializer_list<AcGePoint2d> points, bool closed,
                             std::initializer_list<double> bulges = {}) const
    {
        auto* poly = new AcDbPolyline;
        unsigned int i = 0;
        auto b = bulges.begin();
        for (const AcGePoint2d& p : points)
            poly->addVertexAt(i++, p, b != bulges.end() ? *b++ : 0);
        poly->setClosed(closed);
        return Add(poly);
    }
    static AcGePoint2dArray Ring(std::initializer_list<AcGePoint2d> points)
    {
        AcGePoint2dArray ring;
        for (const AcGePoint2d& p : points)
            ring.append(p);
        return ring;
    }
};

TEST_F(PointRingsTest, ArcsApproximatedByPoints)
{
    AcDbObjectId half = Lightweight({{0, 0}, {2, 0}}, false, {1});
    AcGePoint2dArray points;
    ASSERT_TRUE(ApproximateCurveArcs(NameOf(half), points, 40));
    ASSERT_EQ(points.length(), 6);
    EXPECT_EQ(points[0], AcGePoint2d(0, 0));
    EXPECT_EQ(points[5], AcGePoint2d(2, 0));
    for (int j = 1; j <= 4; ++j) {
        double angle = M_PI + j * M_PI / 5;  // the lower half, counter-clockwise from (0, 0)
        EXPECT_NEAR(points[j].x, 1 + std::cos(angle), 1e-9) << j;
        EXPECT_NEAR(points[j].y, std::sin(angle), 1e-9) << j;
    }

    AcDbObjectId flat = Lightweight({{0, 0}, {2, 0}}, false, {0.0005});
    AcGePoint2dArray straight;
    ASSERT_TRUE(ApproximateCurveArcs(NameOf(flat), straight, 10));
    EXPECT_EQ(straight.length(), 2);

    // Closed: the closing arc is expanded too and the first point comes again.
    AcDbObjectId round = Lightweight({{0, 0}, {2, 0}}, true, {1, 1});
    AcGePoint2dArray circle;
    ASSERT_TRUE(ApproximateCurveArcs(NameOf(round), circle, 90));
    ASSERT_EQ(circle.length(), 7);  // 180 / 90 + 1 = 3 pieces per half: 2 inner points each
    EXPECT_EQ(circle[3], AcGePoint2d(2, 0));
    EXPECT_EQ(circle[6], circle[0]);
    EXPECT_NEAR(circle[4].y, std::sin(M_PI / 3), 1e-9);

    // A step of 0 or below would never finish an arc: refused, nothing appended.
    AcGePoint2dArray none;
    EXPECT_FALSE(ApproximateCurveArcs(NameOf(half), none, 0));
    EXPECT_FALSE(ApproximateCurveArcs(NameOf(half), none, -5));
    EXPECT_TRUE(none.isEmpty());
    AcDbObjectId arc = Add(new AcDbArc(AcGePoint3d(0, 0, 0), 1, 0, 1));
    EXPECT_FALSE(ApproximateCurveArcs(NameOf(arc), none, 10));
    AcDbObjectId disc = Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    ASSERT_TRUE(ApproximateCurveArcs(NameOf(disc), none, 10));
    EXPECT_EQ(none.length(), 360);
}

TEST_F(PointRingsTest, OffsetsAndOrientation)
{
    AcGePoint2dArray two = Ring({{0, 0}, {10, 0}}), moved;
    ASSERT_TRUE(OffsetPointRing(two, 1, 0, moved));
    ASSERT_EQ(moved.length(), 2);
    EXPECT_NEAR(moved[0].distanceTo(AcGePoint2d(0, -1)), 0, 1e-12);
    EXPECT_NEAR(moved[1].distanceTo(AcGePoint2d(10, -1)), 0, 1e-12);
    EXPECT_FALSE(OffsetPointRing(two, 0, 0, moved));
    EXPECT_FALSE(OffsetPointRing(Ring({{0, 0}}), 1, 0, moved));

    // A clockwise square offset by 1 to the right of travel: into the square.
    AcGePoint2dArray square = Ring({{0, 0}, {0, 10}, {10, 10}, {10, 0}}), inner;
    EXPECT_TRUE(IsRingClockwise(square));
    ASSERT_TRUE(OffsetPointRing(square, 1, 1, inner));
    ASSERT_EQ(inner.length(), 4);
    for (const AcGePoint2d& p : inner) {
        EXPECT_NEAR(std::min(p.x, 10 - p.x), 1, 1e-9);
        EXPECT_NEAR(std::min(p.y, 10 - p.y), 1, 1e-9);
    }
    EXPECT_FALSE(IsRingClockwise(square.reverse()));
    EXPECT_TRUE(IsRingClockwise(AcGePoint2dArray()));
}

TEST_F(PointRingsTest, PointInClosedCurveOnVerticesEdgesAndArcs)
{
    AcDbObjectId square = Lightweight({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true);
    EXPECT_EQ(PointInClosedCurve(NameOf(square), AcGePoint2d(5, 5)), 1);
    EXPECT_EQ(PointInClosedCurve(NameOf(square), AcGePoint2d(10, 10)), 0);
    EXPECT_EQ(PointInClosedCurve(NameOf(square), AcGePoint2d(5, 0)), 0);
    EXPECT_EQ(PointInClosedCurve(NameOf(square), AcGePoint2d(5, 100)), -1);
    EXPECT_EQ(PointInClosedCurve(NameOf(square), AcGePoint2d(5, 12)), -1);
    EXPECT_EQ(PointInClosedCurve(NameOf(square), AcGePoint2d(11, 5)), -1);
    // The test line runs along the left edge and through two corners.
    EXPECT_EQ(PointInClosedCurve(NameOf(square), AcGePoint2d(0, 12)), -1);

    // A diamond starting at its bottom corner: the line through the point crosses at the
    // curve's start and at its top corner.
    AcDbObjectId diamond = Lightweight({{5, 0}, {10, 5}, {5, 10}, {0, 5}}, true);
    EXPECT_EQ(PointInClosedCurve(NameOf(diamond), AcGePoint2d(5, 5)), 1);
    EXPECT_EQ(PointInClosedCurve(NameOf(diamond), AcGePoint2d(5, 11)), -1);
    // A notch whose tip touches the line x = 5 from the right: a touch, not a crossing.
    AcDbObjectId notch = Lightweight({{0, 0}, {10, 0}, {10, 10}, {5, 5}, {0, 10}}, true);
    EXPECT_EQ(PointInClosedCurve(NameOf(notch), AcGePoint2d(5, 2)), 1);
    EXPECT_EQ(PointInClosedCurve(NameOf(notch), AcGePoint2d(5, 8)), -1);
    EXPECT_EQ(PointInClosedCurve(NameOf(notch), AcGePoint2d(5, 5)), 0);

    // A full circle of two arcs.
    AcDbObjectId round = Lightweight({{0, 0}, {2, 0}}, true, {1, 1});
    EXPECT_EQ(PointInClosedCurve(NameOf(round), AcGePoint2d(1, 0.9)), 1);
    EXPECT_EQ(PointInClosedCurve(NameOf(round), AcGePoint2d(1, 1)), 0);
    EXPECT_EQ(PointInClosedCurve(NameOf(round), AcGePoint2d(1.9, 0.9)), -1);

    AcDbObjectId open = Lightweight({{0, 0}, {10, 0}, {10, 10}}, false);
    EXPECT_EQ(PointInClosedCurve(NameOf(open), AcGePoint2d(8, 2)), -2);
    ads_name unknown = {0, 0};
    EXPECT_EQ(PointInClosedCurve(unknown, AcGePoint2d(0, 0)), -2);
}

// Points counted against a flat polyline's vertices get the walk's own answer, on a grid that
// runs through vertices, along sides and across a bow tie's crossing; the rest go to the walk.
TEST_F(PointRingsTest, CountedPointsInClosedCurveAreThoseOfTheWalk)
{
    const double far = 3400000;  // coordinates of the size a real drawing's have
    const std::vector<AcDbObjectId> curves = {
        Lightweight({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, true),
        Lightweight({{0, 0}, {10, 0}, {10, 10}, {5, 5}, {0, 10}}, true),
        Lightweight({{0, 0}, {10, 10}, {10, 0}, {0, 10}}, true),
        Lightweight({{5, 0}, {6.5, 3.5}, {10, 4}, {7, 6.5}, {8, 10}, {5, 8}, {2, 10}, {3, 6.5}, {0, 4}, {3.5, 3.5}}, true),
        Lightweight({{far, far}, {far + 10, far + 1}, {far + 9, far + 11}, {far - 1, far + 10}}, true),
    };
    int counted = 0, asked = 0;
    for (std::size_t c = 0; c < curves.size(); ++c) {
        const drawingutil::ClosedCurvePoints test(NameOf(curves[c]));
        const double base = c + 1 == curves.size() ? far : 0;
        for (double x = -1; x <= 11; x += 0.25) {
            for (double y = -1; y <= 11; y += 0.25) {
                const AcGePoint2d p(base + x, base + y);
                const int walk = PointInClosedCurve(NameOf(curves[c]), p);
                int answer = 0;
                ++asked;
                if (test.Counted(p, answer)) {
                    ++counted;
                    EXPECT_EQ(answer, walk) << "curve " << c << " at " << x << "," << y;
                }
                EXPECT_EQ(test.Test(p), walk);
            }
        }
    }
    EXPECT_GT(counted, asked / 2);
    int answer = 0;
    const drawingutil::ClosedCurvePoints open(NameOf(Lightweight({{0, 0}, {10, 0}, {10, 10}}, false)));
    EXPECT_FALSE(open.Counted(AcGePoint2d(8, 2), answer));
    EXPECT_EQ(open.Test(AcGePoint2d(8, 2)), -2);
}

TEST_F(PointRingsTest, PointsOrderedAlongALine)
{
    AcDbLine line(AcGePoint3d(5, 0, 0), AcGePoint3d(5, 10, 0));
    AcGePoint3dArray points, ordered;
    for (auto p : {AcGePoint3d(5.0005, 8, 0), AcGePoint3d(5, 2, 0), AcGePoint3d(7, 5, 0), AcGePoint3d(5, 2.00005, 0),
                   AcGePoint3d(5, 5, 0)})
        points.append(p);
    OrderPointsAlongCurve(&line, points, ordered);
    // (7, 5) is off the line, (5, 8) is moved onto it, the near twin of (5, 2) goes.
    ASSERT_EQ(ordered.length(), 3);
    EXPECT_NEAR(ordered[0].y, 2, 1e-4);
    EXPECT_EQ(ordered[1], AcGePoint3d(5, 5, 0));
    EXPECT_EQ(ordered[2], AcGePoint3d(5, 8, 0));

    // The first and the last point are neighbours too; two points that are one become one.
    AcGePoint3dArray twins, one;
    twins.append(AcGePoint3d(5, 3, 0));
    twins.append(AcGePoint3d(5, 3.00001, 0));
    OrderPointsAlongCurve(&line, twins, one);
    EXPECT_EQ(one.length(), 1);
}

}  // namespace
