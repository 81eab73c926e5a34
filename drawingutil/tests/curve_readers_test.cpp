#include <gtest/gtest.h>

#include <string>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_text.h"

#include "drawing_fixture.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/curve_measures.h"
#include "drawingutil/entity_positions.h"
#include "drawingutil/polyline_vertices.h"

namespace {

class CurveReadersTest : public DrawingTest {
protected:
    AcDbObjectId Lightweight(std::initializer_list<AcGePoint2d> points, bool closed, double bulge = 0) const
    {
        auto* poly = new AcDbPolyline;
        unsigned int i = 0;
        for (const AcGePoint2d& p : points)
            poly->addVertexAt(i++, p, bulge);
        poly->setClosed(closed);
        return Add(poly);
    }
    AcDbObjectId Square(bool closed) const { return Lightweight({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, closed); }
    AcDbObjectId Polyline2d(AcDb::Poly2dType type, std::initializer_list<AcGePoint3d> points, bool closed) const
    {
        AcGePoint3dArray pts;
        for (const AcGePoint3d& p : points)
            pts.append(p);
        return Add(new AcDb2dPolyline(type, pts, 0, closed, 0.5, 0.5));
    }
};

TEST_F(CurveReadersTest, KindsAndClosedFlag)
{
    AcDbObjectId closed = Square(true), open = Square(false);
    AcDbObjectId circle = Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    AcDbObjectId arc = Add(new AcDbArc(AcGePoint3d(0, 0, 0), 1, 0, 1));
    AcDbObjectId line = Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    AcDbObjectId ellipse = Add(new AcDbEllipse(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(5, 0, 0), 0.5));
    AcDbObjectId fit = Polyline2d(AcDb::k2dFitCurvePoly, {{0, 0, 0}, {5, 5, 0}, {10, 0, 0}}, true);
    AcDbObjectId cubic = Polyline2d(AcDb::k2dCubicSplinePoly, {{0, 0, 0}, {5, 5, 0}, {10, 0, 0}, {15, 5, 0}}, false);
    EXPECT_EQ(GetCurveKind(NameOf(closed), 0), 0);
    EXPECT_EQ(GetCurveKind(NameOf(closed), 1), 10);
    EXPECT_EQ(GetCurveKind(NameOf(open), 1), 0);
    EXPECT_EQ(GetCurveKind(NameOf(circle), 1), -2);
    EXPECT_EQ(GetCurveKind(NameOf(arc), 1), -1);
    EXPECT_EQ(GetCurveKind(NameOf(line), 0), -3);
    EXPECT_EQ(GetCurveKind(NameOf(ellipse), 1), -100);
    EXPECT_EQ(GetCurveKind(NameOf(fit), 0), 2);
    EXPECT_EQ(GetCurveKind(NameOf(fit), 1), 12);
    EXPECT_EQ(GetCurveKind(NameOf(cubic), 1), 4);
    ads_name unknown = {0, 0};
    EXPECT_EQ(GetCurveKind(unknown, 1), -100);
}

TEST_F(CurveReadersTest, PointsAndBulgesByVertexKind)
{
    AcGePoint2dArray points;
    AcGeDoubleArray bulges;
    AcDbObjectId circle = Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    ASSERT_TRUE(GetCurvePoints(NameOf(circle), points, 0));
    ASSERT_EQ(points.length(), 360);
    EXPECT_NEAR(points[0].x, 1, 1e-12);
    EXPECT_NEAR(points[90].x, 0, 1e-12);
    EXPECT_NEAR(points[90].y, 1, 1e-12);
    EXPECT_FALSE(GetCurveBulges(NameOf(circle), bulges, 1));
    EXPECT_TRUE(bulges.isEmpty());

    // The lightweight reader sets the list; the others append.
    AcDbObjectId lw = Lightweight({{0, 0}, {2, 0}}, false, 0.5);
    ASSERT_TRUE(GetCurvePoints(NameOf(lw), points, 1));
    EXPECT_EQ(points.length(), 2);
    AcDbObjectId line = Add(new AcDbLine(AcGePoint3d(3, 4, 0), AcGePoint3d(5, 6, 0)));
    ASSERT_TRUE(GetCurvePoints(NameOf(line), points, 1));
    ASSERT_EQ(points.length(), 4);
    EXPECT_EQ(points[3], AcGePoint2d(5, 6));
    ASSERT_TRUE(GetCurveBulges(NameOf(lw), bulges, 1));
    ASSERT_TRUE(GetCurveBulges(NameOf(line), bulges, 1));
    ASSERT_EQ(bulges.length(), 4);
    EXPECT_EQ(bulges[0], 0.5);
    EXPECT_EQ(bulges[3], 0.0);

    // A spline-fitted 2D polyline: its frame (control points) with flag 0, its curve with flag 1.
    AcDbObjectId spline = Polyline2d(AcDb::k2dCubicSplinePoly, {{0, 0, 0}, {5, 5, 0}, {10, 0, 0}, {15, 5, 0}}, false);
    AcGePoint2dArray frame, curve;
    ASSERT_TRUE(GetCurvePoints(NameOf(spline), frame, 0));
    ASSERT_TRUE(GetCurvePoints(NameOf(spline), curve, 1));
    ASSERT_EQ(frame.length(), 4);
    EXPECT_EQ(frame[1], AcGePoint2d(5, 5));
    EXPECT_GT(curve.length(), 4);
    AcGeDoubleArray frameBulges;
    ASSERT_TRUE(GetCurveBulges(NameOf(spline), frameBulges, 0));
    EXPECT_EQ(frameBulges.length(), 4);

    // A polyline seen from below: its own x axis runs along the world's -x.
    auto* below = new AcDbPolyline;
    below->addVertexAt(0, AcGePoint2d(1, 2));
    below->addVertexAt(1, AcGePoint2d(3, 2));
    below->setNormal(AcGeVector3d(0, 0, -1));
    below->setElevation(3);
    AcGePoint2dArray mirrored;
    ASSERT_TRUE(GetCurvePoints(NameOf(Add(below)), mirrored, 0));
    ASSERT_EQ(mirrored.length(), 2);
    EXPECT_EQ(mirrored[0], AcGePoint2d(-1, 2));
    auto* tilted = new AcDbLine(AcGePoint3d(1, 2, 0), AcGePoint3d(3, 4, 0));
    tilted->setNormal(AcGeVector3d(0, 0, -1));
    AcGePoint2dArray ends;
    ASSERT_TRUE(GetCurvePoints(NameOf(Add(tilted)), ends, 0));
    EXPECT_EQ(ends[0], AcGePoint2d(1, 2));

    AcDbObjectId arc = Add(new AcDbArc(AcGePoint3d(0, 0, 0), 1, 0, 1));
    AcGePoint2dArray none;
    EXPECT_FALSE(GetCurvePoints(NameOf(arc), none, 1));
    EXPECT_TRUE(none.isEmpty());
}

TEST_F(CurveReadersTest, MeasuresOfCurves)
{
    AcDbObjectId closed = Square(true), open = Square(false);
    double area = -1, length = -1, elevation = -1, width = -1;
    ASSERT_TRUE(GetCurveArea(NameOf(closed), area));
    EXPECT_NEAR(area, 100, 1e-9);
    EXPECT_FALSE(GetCurveArea(NameOf(open), area));
    EXPECT_EQ(area, 0);
    ASSERT_TRUE(CurveLength(NameOf(open), length));
    EXPECT_NEAR(length, 30, 1e-9);

    // Half circles of radius 1 on both sides of (0,0)-(2,0), closed: a full circle.
    AcDbObjectId round = Lightweight({{0, 0}, {2, 0}}, true, 1);
    ASSERT_TRUE(GetCurveArea(NameOf(round), area));
    EXPECT_NEAR(area, M_PI, 1e-9);
    ASSERT_TRUE(CurveLength(NameOf(round), length));
    EXPECT_NEAR(length, 2 * M_PI, 1e-9);

    SetCurveElevation(NameOf(closed), 7.5);
    ASSERT_TRUE(CurveElevation(NameOf(closed), elevation));
    EXPECT_EQ(elevation, 7.5);
    AcDbObjectId circle = Add(new AcDbCircle(AcGePoint3d(0, 0, 3), AcGeVector3d::kZAxis, 1));
    SetCurveElevation(NameOf(circle), 9);
    EXPECT_FALSE(CurveElevation(NameOf(circle), elevation));

    AcDbObjectId wide = Polyline2d(AcDb::k2dSimplePoly, {{0, 0, 0}, {1, 0, 0}}, false);
    ASSERT_TRUE(GetPolylineWidth(NameOf(wide), width));
    EXPECT_EQ(width, 0.5);
    EXPECT_FALSE(GetPolylineWidth(NameOf(circle), width));
}

TEST_F(CurveReadersTest, SetVerticesOnBothPolylineKinds)
{
    AcDbObjectId lw = Lightweight({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, false, 0.25);
    AcGePoint2dArray one, three, five, read;
    one.append(AcGePoint2d(9, 9));
    SetPolylineVertices(NameOf(lw), one);
    ASSERT_TRUE(GetCurvePoints(NameOf(lw), read, 0));
    EXPECT_EQ(read.length(), 4);

    for (auto p : {AcGePoint2d(5, 5), AcGePoint2d(6, 5), AcGePoint2d(6, 6)})
        three.append(p);
    SetPolylineVertices(NameOf(lw), three);
    ASSERT_TRUE(GetCurvePoints(NameOf(lw), read, 0));
    ASSERT_EQ(read.length(), 3);
    EXPECT_EQ(read[2], AcGePoint2d(6, 6));
    five = three;
    five.append(AcGePoint2d(5, 6));
    five.append(AcGePoint2d(5, 7));
    SetPolylineVertices(NameOf(lw), five);
    AcGeDoubleArray bulges;
    ASSERT_TRUE(GetCurvePoints(NameOf(lw), read, 0));
    ASSERT_TRUE(GetCurveBulges(NameOf(lw), bulges, 0));
    ASSERT_EQ(read.length(), 5);
    EXPECT_EQ(bulges[2], 0.25);  // a vertex that stays keeps its arc
    EXPECT_EQ(bulges[4], 0.0);

    // A 2D polyline keeps the arcs of vertices that stay and its fit.
    AcGePoint3dArray pts;
    AcGeDoubleArray arcs;
    for (auto p : {AcGePoint3d(0, 0, 2), AcGePoint3d(10, 0, 2), AcGePoint3d(10, 10, 2)}) {
        pts.append(p);
        arcs.append(0.5);
    }
    AcDbObjectId fit = Add(new AcDb2dPolyline(AcDb::k2dSimplePoly, pts, 2, false, 0.3, 0.3, &arcs));
    AcGePoint2dArray target;
    for (auto p : {AcGePoint2d(10, 0), AcGePoint2d(20, 0), AcGePoint2d(20, 20), AcGePoint2d(0, 0)})
        target.append(p);
    SetPolylineVertices(NameOf(fit), target);
    AcGePoint2dArray got;
    AcGeDoubleArray gotBulges;
    ASSERT_TRUE(GetCurvePoints(NameOf(fit), got, 0));
    ASSERT_TRUE(GetCurveBulges(NameOf(fit), gotBulges, 0));
    ASSERT_EQ(got.length(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(got[i], target[i]);
    EXPECT_EQ(gotBulges[0], 0.5);
    EXPECT_EQ(gotBulges[1], 0.0);
    EXPECT_EQ(gotBulges[3], 0.5);
    {
        AcDb2dPolyline* poly = nullptr;
        ASSERT_EQ(acdbOpenObject(poly, fit, AcDb::kForWrite), Acad::eOk);
        EXPECT_EQ(poly->curveFit(), Acad::eOk);
        poly->close();
    }
    target.removeLast();
    SetPolylineVertices(NameOf(fit), target);
    EXPECT_EQ(GetCurveKind(NameOf(fit), 0), 2);
    AcGePoint2dArray frame;
    ASSERT_TRUE(GetCurvePoints(NameOf(fit), frame, 0));
    ASSERT_EQ(frame.length(), 3);
    EXPECT_EQ(frame[2], AcGePoint2d(20, 20));
    double elevation = 0;
    ASSERT_TRUE(CurveElevation(NameOf(fit), elevation));
    EXPECT_EQ(elevation, 2);
}

TEST_F(CurveReadersTest, ConversionKeepsTheId)
{
    AcDbObjectId lw = Lightweight({{0, 0}, {4, 0}, {4, 3}}, true, 0.1);
    DrawingTest::Name name = NameOf(lw);
    ASSERT_TRUE(ConvertTo2dPolyline(name.value));
    AcDbObjectId after;
    ASSERT_EQ(acdbGetObjectId(after, name.value), Acad::eOk);
    EXPECT_EQ(after, lw);
    EXPECT_EQ(GetCurveKind(name, 1), 11);
    AcGeDoubleArray bulges;
    ASSERT_TRUE(GetCurveBulges(name, bulges, 1));
    EXPECT_EQ(bulges[1], 0.1);
    EXPECT_TRUE(ConvertTo2dPolyline(name.value));  // already a 2D polyline
    AcDbObjectId circle = Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 1));
    EXPECT_FALSE(ConvertTo2dPolyline(NameOf(circle).value));
}

TEST_F(CurveReadersTest, TextBoxKeepsTheRotation)
{
    const double rotation = M_PI / 6;
    AcDbObjectId text = Add(new AcDbText(AcGePoint3d(10, 20, 0), "ABCD", AcDbObjectId::kNull, 2.0, rotation));
    AcDbObjectId flat = Add(new AcDbText(AcGePoint3d(0, 0, 0), "ABCD", AcDbObjectId::kNull, 2.0, 0));
    AcGePoint3d c1, c2, c3, c4, f1, f2, f3, f4;
    ASSERT_TRUE(GetTextBoxCorners(NameOf(text), c1, c2, c3, c4));
    ASSERT_TRUE(GetTextBoxCorners(NameOf(flat), f1, f2, f3, f4));
    double w = f2.x - f1.x, h = f4.y - f1.y;
    EXPECT_GT(w, 0);
    EXPECT_NEAR(h, 2, 1e-9);
    EXPECT_NEAR(c1.distanceTo(AcGePoint3d(10, 20, 0)), 0, 1e-9);
    EXPECT_NEAR(c2.x - c1.x, w * std::cos(rotation), 1e-9);
    EXPECT_NEAR(c2.y - c1.y, w * std::sin(rotation), 1e-9);
    EXPECT_NEAR(c4.x - c1.x, -h * std::sin(rotation), 1e-9);
    EXPECT_NEAR(c3.distanceTo(c2 + (c4 - c1)), 0, 1e-9);
    AcDbText* opened = nullptr;
    ASSERT_EQ(acdbOpenObject(opened, text, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(opened->rotation(), rotation);
    opened->close();
    std::string string;
    GetTextString(NameOf(text), string);
    EXPECT_EQ(string, "ABCD");
    AcDbObjectId line = Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0)));
    EXPECT_FALSE(GetTextBoxCorners(NameOf(line), c1, c2, c3, c4));
    GetTextString(NameOf(line), string);
    EXPECT_TRUE(string.empty());
}

}  // namespace
