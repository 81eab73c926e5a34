#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <array>
#include <functional>
#include <memory>
#include <numbers>
#include <vector>

#include "platform/cad/curve_path.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_spline.h"

namespace {

constexpr double kPi = std::numbers::pi;

AcDbPolyline Pline(std::initializer_list<std::array<double, 3>> vertices, bool closed, double dx = 0, double dy = 0)
{
    AcDbPolyline p;
    unsigned i = 0;
    for (const auto& v : vertices)
        p.addVertexAt(i++, AcGePoint2d(v[0] + dx, v[1] + dy), v[2]);
    p.setClosed(closed);
    return p;
}

void DeleteAll(AcDbVoidPtrArray& curves)
{
    for (void* c : curves)
        delete static_cast<AcDbCurve*>(c);
    curves.removeAll();
}

TEST(CadCurves, BulgeArcsAgainstHandComputedValues)
{
    // From (0,0) to (2,0) with bulge 1: the lower half circle of radius 1 around (1,0).
    for (double dx : {0.0, 3400000.0}) {
        double dy = dx == 0 ? 0 : 500000.0;
        AcDbPolyline p = Pline({{0, 0, 1}, {2, 0, 0}}, false, dx, dy);
        double endParam = 0, dist = 0, param = 0, area = 0;
        AcGePoint3d point;
        ASSERT_EQ(p.getEndParam(endParam), Acad::eOk);
        EXPECT_EQ(endParam, 1);
        ASSERT_EQ(p.getPointAtParam(0.5, point), Acad::eOk);
        EXPECT_NEAR(point.x, dx + 1, 1e-9);
        EXPECT_NEAR(point.y, dy - 1, 1e-9);
        ASSERT_EQ(p.getDistAtParam(1, dist), Acad::eOk);
        EXPECT_NEAR(dist, kPi, 1e-9);
        ASSERT_EQ(p.getParamAtPoint(AcGePoint3d(dx + 1 + std::cos(-kPi / 4 + kPi) * -1, dy + std::sin(-kPi / 4) , 0), param),
                  Acad::eOk);
        EXPECT_NEAR(param, 0.75, 1e-9);
        // Off the curve by a millimetre, or on the wrong half: no parameter.
        EXPECT_EQ(p.getParamAtPoint(AcGePoint3d(dx + 1, dy - 1.001, 0), param), Acad::eInvalidInput);
        EXPECT_EQ(p.getParamAtPoint(AcGePoint3d(dx + 1, dy + 1, 0), param), Acad::eInvalidInput);
        ASSERT_EQ(p.getClosestPointTo(AcGePoint3d(dx + 1, dy - 5, 0), point), Acad::eOk);
        EXPECT_NEAR(point.y, dy - 1, 1e-9);
        ASSERT_EQ(p.getArea(area), Acad::eOk);
        EXPECT_NEAR(area, kPi / 2, 1e-6);
        AcDbExtents ext;
        ASSERT_EQ(p.getGeomExtents(ext), Acad::eOk);
        EXPECT_NEAR(ext.minPoint().y, dy - 1, 1e-9);
        EXPECT_NEAR(ext.maxPoint().y, dy, 1e-9);
    }
}

TEST(CadCurves, SurveySizedSquareAreaParamsAndClosure)
{
    const double x0 = 3400000, y0 = 500000;
    AcDbPolyline sq = Pline({{0, 0, 0}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}, true, x0, y0);
    double area = 0, param = 0, end = 0, dist = 0;
    ASSERT_EQ(sq.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 10000, 1e-6);
    EXPECT_TRUE(sq.isClosed());
    sq.getEndParam(end);
    EXPECT_EQ(end, 4);
    ASSERT_EQ(sq.getParamAtPoint(AcGePoint3d(x0 + 50, y0, 0), param), Acad::eOk);
    EXPECT_NEAR(param, 0.5, 1e-9);
    ASSERT_EQ(sq.getParamAtPoint(AcGePoint3d(x0, y0, 0), param), Acad::eOk);
    EXPECT_EQ(param, 0);  // the closing vertex is the start
    EXPECT_EQ(sq.getParamAtPoint(AcGePoint3d(x0 + 50, y0 + 0.0001, 0), param), Acad::eInvalidInput);
    ASSERT_EQ(sq.getDistAtParam(2.5, dist), Acad::eOk);
    EXPECT_NEAR(dist, 250, 1e-9);
    AcGePoint3d beyond;
    EXPECT_EQ(sq.getPointAtParam(4.5, beyond), Acad::eInvalidInput);
}

TEST(CadCurves, LinesCirclesAndArcsUseTheHostsParameters)
{
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 4, 0));
    double end = 0, param = 0;
    line.getEndParam(end);
    EXPECT_EQ(end, 5);
    AcDbCircle circle(AcGePoint3d(1, 1, 0), AcGeVector3d::kZAxis, 2);
    ASSERT_EQ(circle.getParamAtPoint(AcGePoint3d(1, 3, 0), param), Acad::eOk);
    EXPECT_NEAR(param, kPi / 2, 1e-12);
    double area = 0;
    circle.getArea(area);
    EXPECT_NEAR(area, 4 * kPi, 1e-9);
    AcDbArc arc(AcGePoint3d(0, 0, 0), 1, 3 * kPi / 2, kPi / 2);  // crosses angle 0
    double start = 0;
    arc.getStartParam(start);
    arc.getEndParam(end);
    EXPECT_NEAR(start, 3 * kPi / 2, 1e-12);
    EXPECT_NEAR(end, 5 * kPi / 2, 1e-12);
    ASSERT_EQ(arc.getParamAtPoint(AcGePoint3d(1, 0, 0), param), Acad::eOk);
    EXPECT_NEAR(param, 2 * kPi, 1e-12);
    EXPECT_EQ(arc.getParamAtPoint(AcGePoint3d(-1, 0, 0), param), Acad::eInvalidInput);
    AcDbEllipse ellipse(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(2, 0, 0), 0.5);
    AcGePoint3d p;
    ASSERT_EQ(ellipse.getPointAtParam(kPi / 2, p), Acad::eOk);
    EXPECT_NEAR(p.y, 1, 1e-12);
    EXPECT_TRUE(ellipse.isClosed());
    AcGePoint3dArray cps;
    cps.append(AcGePoint3d(0, 0, 0));
    cps.append(AcGePoint3d(1, 2, 0));
    cps.append(AcGePoint3d(2, 0, 0));
    AcDbSpline spline(2, false, false, false, cps, AcGeDoubleArray(), AcGeDoubleArray());
    ASSERT_EQ(spline.getPointAtParam(0.5, p), Acad::eOk);
    EXPECT_NEAR(p.x, 1, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12);  // a quadratic Bezier's midpoint
}

TEST(CadCurves, EntitiesWithADownwardNormalLieMirroredInTheWorld)
{
    // Their own x axis points to world -x: (x, y, z) is (-x, y, -z) in the world.
    AcDbArc arc(AcGePoint3d(5, 0, 2), AcGeVector3d(0, 0, -1), 1, 0, kPi / 2);
    AcGePoint3d start, end, mid;
    arc.getStartPoint(start);
    arc.getEndPoint(end);
    arc.getPointAtParam(kPi / 4, mid);
    EXPECT_NEAR(start.x, -6, 1e-12);
    EXPECT_NEAR(start.z, -2, 1e-12);
    EXPECT_NEAR(end.x, -5, 1e-12);
    EXPECT_NEAR(end.y, 1, 1e-12);
    EXPECT_NEAR(mid.x, -5 - std::sqrt(0.5), 1e-12);
    double param = 0;
    ASSERT_EQ(arc.getParamAtPoint(mid, param), Acad::eOk);
    EXPECT_NEAR(param, kPi / 4, 1e-12);
    AcDbPolyline p = Pline({{0, 0, 1}, {2, 0, 0}}, false);
    p.setNormal(AcGeVector3d(0, 0, -1));
    AcGePoint3d q;
    p.getPointAtParam(0.5, q);
    EXPECT_NEAR(q.x, -1, 1e-12);
    EXPECT_NEAR(q.y, -1, 1e-12);
    AcDbLine cross(AcGePoint3d(-1, -5, 0), AcGePoint3d(-1, 5, 0));
    AcGePoint3dArray hits;
    p.intersectWith(&cross, AcDb::kOnBothOperands, hits);
    ASSERT_EQ(hits.length(), 1);
    EXPECT_NEAR(hits[0].y, -1, 1e-12);
    // Pieces come back in world coordinates.
    AcGeDoubleArray params;
    params.append(kPi / 4);
    AcDbVoidPtrArray pieces;
    ASSERT_EQ(arc.getSplitCurves(params, pieces), Acad::eOk);
    ASSERT_EQ(pieces.length(), 2);
    AcGePoint3d pieceStart;
    static_cast<AcDbCurve*>(pieces[0])->getStartPoint(pieceStart);
    AcGePoint3d pieceEnd;
    static_cast<AcDbCurve*>(pieces[0])->getEndPoint(pieceEnd);
    // A world arc runs counter-clockwise, so the first piece's ends come swapped.
    EXPECT_NEAR(std::min(pieceStart.x, pieceEnd.x), -6, 1e-12);
    EXPECT_NEAR(std::max(pieceStart.x, pieceEnd.x), mid.x, 1e-12);
    DeleteAll(pieces);
}

TEST(CadCurves, OffsetIsToTheLeftOfTravel)
{
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    AcDbVoidPtrArray out;
    ASSERT_EQ(line.getOffsetCurves(1, out), Acad::eOk);
    ASSERT_EQ(out.length(), 1);
    auto* moved = AcDbLine::cast(static_cast<AcDbCurve*>(out[0]));
    ASSERT_NE(moved, nullptr);
    EXPECT_NEAR(moved->startPoint().y, 1, 1e-12);
    DeleteAll(out);

    // A counter-clockwise square: left is inside.
    AcDbPolyline sq = Pline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, true, 3400000, 500000);
    double area = 0;
    ASSERT_EQ(sq.getOffsetCurves(1, out), Acad::eOk);
    ASSERT_EQ(out.length(), 1);
    static_cast<AcDbCurve*>(out[0])->getArea(area);
    EXPECT_NEAR(area, 64, 1e-6);
    auto* inner = AcDbPolyline::cast(static_cast<AcDbCurve*>(out[0]));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->numVerts(), 4u);
    AcGePoint2d corner;
    inner->getPointAt(0, corner);
    EXPECT_NEAR(corner.x, 3400001, 1e-6);
    EXPECT_NEAR(corner.y, 500001, 1e-6);
    DeleteAll(out);
    ASSERT_EQ(sq.getOffsetCurves(-1, out), Acad::eOk);
    static_cast<AcDbCurve*>(out[0])->getArea(area);
    EXPECT_NEAR(area, 144, 1e-6);
    DeleteAll(out);

    // A half-disc of radius 2 (chord, then a counter-clockwise arc): inwards, the chord rises by
    // 0.5 and the arc shrinks to 1.5, leaving the circular segment above y = 0.5.
    AcDbPolyline half = Pline({{-2, 0, 0}, {2, 0, 1}}, true);
    ASSERT_EQ(half.getOffsetCurves(0.5, out), Acad::eOk);
    static_cast<AcDbCurve*>(out[0])->getArea(area);
    double angle = 2 * std::acos(0.5 / 1.5);
    EXPECT_NEAR(area, 1.5 * 1.5 / 2 * (angle - std::sin(angle)), 1e-9);
    DeleteAll(out);
    EXPECT_EQ(line.getOffsetCurves(0, out), Acad::eInvalidInput);
}

TEST(CadCurves, SplitAndIntersectInThePlane)
{
    AcDbLine line(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0));
    AcGeDoubleArray params;
    params.append(7);
    params.append(2);
    AcDbVoidPtrArray pieces;
    ASSERT_EQ(line.getSplitCurves(params, pieces), Acad::eOk);
    ASSERT_EQ(pieces.length(), 3);
    EXPECT_NEAR(AcDbLine::cast(static_cast<AcDbCurve*>(pieces[1]))->startPoint().x, 2, 1e-12);
    EXPECT_NEAR(AcDbLine::cast(static_cast<AcDbCurve*>(pieces[1]))->endPoint().x, 7, 1e-12);
    DeleteAll(pieces);
    params.append(11);
    EXPECT_EQ(line.getSplitCurves(params, pieces), Acad::eInvalidInput);

    // A closed polyline split at two points gives the two halves, the second across the start.
    AcDbPolyline sq = Pline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, true);
    AcGePoint3dArray at;
    at.append(AcGePoint3d(5, 0, 0));
    at.append(AcGePoint3d(5, 10, 0));
    ASSERT_EQ(sq.getSplitCurves(at, pieces), Acad::eOk);
    ASSERT_EQ(pieces.length(), 2);
    double len0 = 0, len1 = 0, end = 0;
    auto* c0 = static_cast<AcDbCurve*>(pieces[0]);
    auto* c1 = static_cast<AcDbCurve*>(pieces[1]);
    c0->getEndParam(end);
    c0->getDistAtParam(end, len0);
    c1->getEndParam(end);
    c1->getDistAtParam(end, len1);
    EXPECT_NEAR(len0, 20, 1e-9);
    EXPECT_NEAR(len1, 20, 1e-9);
    DeleteAll(pieces);

    // Survey-sized crossing lines, a line through a bulge arc, and a collinear overlap.
    const double x0 = 3400000, y0 = 500000;
    AcDbLine a(AcGePoint3d(x0, y0, 0), AcGePoint3d(x0 + 100, y0 + 100, 0));
    AcDbLine b(AcGePoint3d(x0, y0 + 100, 5), AcGePoint3d(x0 + 100, y0, 5));
    AcGePoint3dArray hits;
    ASSERT_EQ(a.intersectWith(&b, AcDb::kOnBothOperands, hits), Acad::eOk);
    ASSERT_EQ(hits.length(), 1);
    EXPECT_NEAR(hits[0].x, x0 + 50, 1e-8);
    EXPECT_NEAR(hits[0].y, y0 + 50, 1e-8);
    EXPECT_EQ(hits[0].z, 0);  // projected, with this entity's z
    AcDbLine shortLine(AcGePoint3d(x0, y0, 0), AcGePoint3d(x0 + 10, y0 + 10, 0));
    hits.removeAll();
    shortLine.intersectWith(&b, AcDb::kOnBothOperands, hits);
    EXPECT_EQ(hits.length(), 0);
    shortLine.intersectWith(&b, AcDb::kExtendThis, hits);
    EXPECT_EQ(hits.length(), 1);

    AcDbPolyline arc = Pline({{0, 0, 1}, {2, 0, 0}}, false);  // lower half circle around (1,0)
    AcDbLine vertical(AcGePoint3d(1, -5, 0), AcGePoint3d(1, 5, 0));
    hits.removeAll();
    vertical.intersectWith(&arc, AcDb::kOnBothOperands, hits);
    ASSERT_EQ(hits.length(), 1);
    EXPECT_NEAR(hits[0].y, -1, 1e-12);

    AcDbLine along(AcGePoint3d(5, 0, 0), AcGePoint3d(15, 0, 0));
    hits.removeAll();
    sq.intersectWith(&along, AcDb::kOnBothOperands, hits);
    EXPECT_EQ(hits.length(), 2);  // the ends of the shared stretch: (5,0) and (10,0)

    // Lines that miss each other by less than the tolerance still meet, at a right angle and
    // running on (nearly) one line; a clear gap is no meeting.
    const double gap = AcGeContext::gTol.equalPoint() / 2;
    AcDbLine east(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0));
    AcDbLine across(AcGePoint3d(1 + gap, -1, 0), AcGePoint3d(1 + gap, 1, 0));
    AcDbLine onward(AcGePoint3d(1 + gap, gap, 0), AcGePoint3d(2, gap, 0));
    AcDbLine beyond(AcGePoint3d(1.001, -1, 0), AcGePoint3d(1.001, 1, 0));
    hits.removeAll();
    east.intersectWith(&across, AcDb::kOnBothOperands, hits);
    ASSERT_EQ(hits.length(), 1);
    EXPECT_NEAR(hits[0].x, 1, 1e-9);
    hits.removeAll();
    east.intersectWith(&onward, AcDb::kOnBothOperands, hits);
    EXPECT_EQ(hits.length(), 1);
    hits.removeAll();
    east.intersectWith(&beyond, AcDb::kOnBothOperands, hits);
    EXPECT_EQ(hits.length(), 0);
}

}  // namespace

// Whether two paths meet is what the full intersection says, on crossings, touches at ends,
// near misses around the tolerance, collinear overlaps, arcs, and many random survey-sized pairs.
TEST(CadCurves, MeetingAgreesWithTheIntersection)
{
    using platform::cad::CurvePath;
    auto path = [](std::initializer_list<std::array<double, 3>> vertices, bool closed) {
        AcDbPolyline p = Pline(vertices, closed);
        CurvePath built;
        EXPECT_TRUE(p.buildPath(built));
        return built;
    };
    auto agree = [](const CurvePath& a, const CurvePath& b) {
        const bool met = !a.Intersect(b, false, false).empty();
        EXPECT_EQ(a.Meets(b), met);
        EXPECT_EQ(b.Meets(a), !b.Intersect(a, false, false).empty());
        return met;
    };
    const CurvePath square = path({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, true);
    EXPECT_TRUE(agree(square, path({{-5, 5, 0}, {15, 5, 0}}, false)));        // through
    EXPECT_TRUE(agree(square, path({{10, 10, 0}, {20, 20, 0}}, false)));      // from a corner
    EXPECT_TRUE(agree(square, path({{10, 2, 0}, {10, 8, 0}}, false)));        // along a side
    EXPECT_FALSE(agree(square, path({{2, 2, 0}, {8, 8, 0}}, false)));         // wholly inside
    EXPECT_FALSE(agree(square, path({{10.001, 0, 0}, {10.001, 10, 0}}, false)));
    EXPECT_TRUE(agree(square, path({{10 + 1e-12, 0, 0}, {10 + 1e-12, 10, 0}}, false)));
    EXPECT_TRUE(agree(square, path({{5, -5, 0.2}, {5, 15, 0}}, false)));      // an arc across
    EXPECT_FALSE(agree(square, path({{3, 5, 1}, {7, 5, 0}}, false)));         // an arc inside
    EXPECT_TRUE(agree(path({{0, 0, 1}, {4, 0, 1}}, false), path({{2, -5, 0}, {2, 5, 0}}, false)));

    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / static_cast<double>(1u << 24);
    };
    const double x0 = 3400000, y0 = 500000;
    int met = 0;
    for (int i = 0; i < 400; ++i) {
        auto random = [&] {
            const double x = x0 + 10 * next(), y = y0 + 10 * next();
            const double bulge = next() < 0.3 ? 2 * next() - 1 : 0;
            return path({{x, y, bulge}, {x + 8 * next() - 4, y + 8 * next() - 4, 0}, {x + 6 * next(), y, 0}},
                        next() < 0.5);
        };
        met += agree(random(), random()) ? 1 : 0;
    }
    EXPECT_GT(met, 10);
    EXPECT_LT(met, 390);
}

// What a curve answers about its shape: the status and values of the questions asked most.
std::vector<double> ShapeAnswers(const AcDbCurve& curve)
{
    std::vector<double> answers;
    auto status = [&](Acad::ErrorStatus es) { answers.push_back(static_cast<double>(es)); };
    double area = 0, end = 0, dist = 0;
    status(curve.getArea(area));
    status(curve.getEndParam(end));
    AcDbExtents box;
    status(curve.getGeomExtents(box));
    AcGePoint3d closest;
    status(curve.getClosestPointTo(AcGePoint3d(4, -3, 0), closest));
    status(curve.getDistAtPoint(closest, dist));
    AcDbLine across(AcGePoint3d(-20, 3, 0), AcGePoint3d(40, 3, 0));
    AcGePoint3dArray hits;
    status(curve.intersectWith(&across, AcDb::kOnBothOperands, hits));
    answers.insert(answers.end(), {area, end, box.minPoint().x, box.minPoint().y, box.maxPoint().x,
                                   box.maxPoint().y, closest.x, closest.y, closest.z, dist});
    for (const AcGePoint3d& hit : hits)
        answers.insert(answers.end(), {hit.x, hit.y, hit.z});
    return answers;
}

// A polyline made afresh from the vertices and settings another one lists.
AcDbPolyline Remade(const AcDbPolyline& p)
{
    AcDbPolyline fresh;
    for (unsigned i = 0; i < p.numVerts(); ++i) {
        AcGePoint2d at;
        double bulge = 0;
        p.getPointAt(i, at);
        p.getBulgeAt(i, bulge);
        fresh.addVertexAt(i, at, bulge);
    }
    fresh.setClosed(p.isClosed());
    fresh.setElevation(p.elevation());
    fresh.setNormal(p.normal());
    return fresh;
}

TEST(CadCurves, PolylineAnswersFromItsShapeAfterEveryChange)
{
    AcDbPolyline p = Pline({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}, true);
    const std::vector<double> square = ShapeAnswers(p);
    const std::vector<std::function<void(AcDbPolyline&)>> changes = {
        [](AcDbPolyline& c) { c.setPointAt(2, AcGePoint2d(12, 14)); },
        [](AcDbPolyline& c) { c.setBulgeAt(0, -0.5); },
        [](AcDbPolyline& c) { c.addVertexAt(1, AcGePoint2d(5, -4)); },
        [](AcDbPolyline& c) { c.removeVertexAt(0); },
        [](AcDbPolyline& c) { c.setClosed(false); },
        [](AcDbPolyline& c) { c.setElevation(2.5); },
        [](AcDbPolyline& c) { c.setNormal(AcGeVector3d(0, 0, -1)); },
        [](AcDbPolyline& c) { c.reset(true, 2); },
        [](AcDbPolyline& c) { c.reset(false, 0); },
        [](AcDbPolyline& c) {
            AcGePoint3dArray points;
            for (const AcGePoint3d& q : {AcGePoint3d(0, 0, 0), AcGePoint3d(30, 0, 0), AcGePoint3d(30, 6, 0)})
                points.append(q);
            AcDbEntity* source = new AcDb2dPolyline(AcDb::k2dSimplePoly, points, 0, true);
            c.convertFrom(source, false);
            delete source;
        },
    };
    for (std::size_t k = 0; k < changes.size(); ++k) {
        const std::vector<double> before = ShapeAnswers(p);
        // A copy answers from the shape it was copied with, whatever becomes of the original.
        std::unique_ptr<AcDbPolyline> copy(static_cast<AcDbPolyline*>(p.clone()));
        changes[k](p);
        EXPECT_EQ(ShapeAnswers(p), ShapeAnswers(Remade(p))) << "change " << k;
        EXPECT_NE(ShapeAnswers(p), before) << "change " << k;
        EXPECT_EQ(ShapeAnswers(*copy), before) << "change " << k;
    }
    EXPECT_NE(ShapeAnswers(p), square);
}

TEST(CadCurves, PolylineExtentsAreThoseOfThePath)
{
    auto same = [](const AcDbCurve& curve) {
        platform::cad::CurvePath path;
        ASSERT_TRUE(curve.buildPath(path));
        const AcDbExtents expected = path.Extents();
        AcDbExtents box;
        ASSERT_EQ(curve.getGeomExtents(box), Acad::eOk);
        EXPECT_EQ(box.minPoint().x, expected.minPoint().x);
        EXPECT_EQ(box.minPoint().y, expected.minPoint().y);
        EXPECT_EQ(box.minPoint().z, expected.minPoint().z);
        EXPECT_EQ(box.maxPoint().x, expected.maxPoint().x);
        EXPECT_EQ(box.maxPoint().y, expected.maxPoint().y);
        EXPECT_EQ(box.maxPoint().z, expected.maxPoint().z);
    };
    const double x = 3400000.25, y = 500000.5;
    AcDbPolyline open = Pline({{x, y, 0}, {x + 9, y - 2, 0}, {x + 4, y + 7, 0}}, false);
    open.setElevation(12.5);
    same(open);
    same(Pline({{x, y, 0}, {x + 9, y, 0.7}, {x + 9, y + 5, 0}}, true));  // an arc bulges past the vertices
    same(Pline({{x, y, 0}}, false));
    AcDbPolyline downward = Pline({{1, 2, 0}, {5, 2, 0}, {5, 6, 0}}, true);
    downward.setNormal(AcGeVector3d(0, 0, -1));
    same(downward);
    AcGePoint3dArray points;
    for (const AcGePoint3d& q : {AcGePoint3d(x, y, 0), AcGePoint3d(x + 8, y + 1, 0), AcGePoint3d(x + 3, y + 6, 0)})
        points.append(q);
    AcDb2dPolyline heavy(AcDb::k2dSimplePoly, points, -4, false);
    same(heavy);
    AcGeDoubleArray bulges;
    for (double b : {0.0, -0.9, 0.0})
        bulges.append(b);
    same(AcDb2dPolyline(AcDb::k2dSimplePoly, points, 3, true, 0, 0, &bulges));
    AcDb2dPolyline tilted(AcDb::k2dSimplePoly, points, 0, true);
    tilted.setNormal(AcGeVector3d(0, 0, -1));
    same(tilted);
}
