#include "geometry/curve_boolean.h"

#include <cmath>
#include <memory>

#include "drawingutil/blocks.h"
#include "drawingutil/host_objects.h"
#include "geometry/bulge_polygon.h"
#include "geometry/bulge_polyline.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/point_in_arc_ring.h"
#include "geometry/ring_overlay.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/prompts.h"

namespace geometry {
namespace {

constexpr double kPointTolerance = 0.001;
constexpr int kResultColour = 1;

// What one CurveBoolean call shares with its kernels; the host runs commands one at a time.
struct OverlayState {
    double tolerance = 0.0;
    AcDbObjectIdArray results;
    int status = 0;
};
OverlayState& State() {
    static OverlayState state;
    return state;
}

bool IsLightweight(const AcDbCurve* c) { return c->isA() == AcDbPolyline::desc(); }
bool Is2d(const AcDbCurve* c) { return c->isA() == AcDb2dPolyline::desc(); }
bool IsCircle(const AcDbCurve* c) { return c->isA() == AcDbCircle::desc(); }
bool IsHandled(const AcDbCurve* c) { return IsLightweight(c) || Is2d(c) || IsCircle(c); }

void SayTypeNotHandled() { acutPrintf("\n该类型目前不能处理。"); }

bool Append(AcDbEntity* entity) {
    AcDbObjectId id;
    if (!AppendToModelSpace(entity, id)) {
        delete entity;
        return false;
    }
    entity->close();
    State().results.append(id);
    return true;
}

bool AreaBelowTolerance(const AcDbCurve* curve) {
    double area = 0.0;
    return curve->getArea(area) == Acad::eOk && area < State().tolerance;
}

// A copy of the same type with the same layer and colour (not its feature data: the copy is no
// second feature).
void EmitCurveCopy(const AcDbCurve* curve) {
    std::unique_ptr<AcDbCurve> copy;
    if (IsCircle(curve)) {
        const auto* circle = static_cast<const AcDbCircle*>(curve);
        copy = std::make_unique<AcDbCircle>(circle->center(), circle->normal(), circle->radius());
    } else if (IsLightweight(curve) || Is2d(curve)) {
        if (AreaBelowTolerance(curve)) return;
        PointList points;
        DoubleList bulges;
        if (!ReadCurveVertices(curve, points, bulges) || points.size() != bulges.size()) return;
        if (IsLightweight(curve)) {
            const auto* source = static_cast<const AcDbPolyline*>(curve);
            auto lw = std::make_unique<AcDbPolyline>(static_cast<unsigned>(points.size()));
            for (unsigned i = 0; i < points.size(); ++i)
                lw->addVertexAt(i, AcGePoint2d(points[i].x, points[i].y), bulges[i]);
            lw->setElevation(source->elevation());
            lw->setClosed(true);
            copy = std::move(lw);
        } else {
            AcGePoint3dArray vertices;
            AcGeDoubleArray arcs;
            const double z = static_cast<const AcDb2dPolyline*>(curve)->elevation();
            for (std::size_t i = 0; i < points.size(); ++i) {
                vertices.append(AcGePoint3d(points[i].x, points[i].y, z));
                arcs.append(bulges[i]);
            }
            copy = std::make_unique<AcDb2dPolyline>(AcDb::k2dSimplePoly, vertices, z, true, 0, 0, &arcs);
        }
    } else {
        return;
    }
    copy->setPropertiesFrom(curve);
    Append(copy.release());
}

void EmitRing(const BulgeRing& ring) {
    auto lw = std::make_unique<AcDbPolyline>(static_cast<unsigned>(ring.points.size()));
    for (unsigned i = 0; i < ring.points.size(); ++i)
        lw->addVertexAt(i, AcGePoint2d(ring.points[i].x, ring.points[i].y), ring.bulges[i]);
    lw->setClosed(true);
    lw->setColorIndex(kResultColour);
    Append(lw.release());
}

// Strictly apart on an axis: the centres further apart than half the two sizes together.
bool ApartOnAxis(double min1, double max1, double min2, double max2) {
    return std::fabs((min1 + max1) - (min2 + max2)) / 2.0 > ((max1 - min1) + (max2 - min2)) / 2.0;
}

enum class Kernel { kIntersection, kUnion, kDifference };

// The opening every kernel shares: 0 to go on, or the kernel's result.
int Open(Kernel kernel, const AcDbCurve* a, const AcDbCurve* b, AcDbExtents& ea, AcDbExtents& eb) {
    State().status = 0;
    if (a == nullptr || b == nullptr) return -100;
    if (!a->isClosed() || !b->isClosed()) return -101;
    if (a->getGeomExtents(ea) != Acad::eOk || ea.isEmpty()) return -200;
    if (b->getGeomExtents(eb) != Acad::eOk || eb.isEmpty()) return -300;
    const AcGePoint3d &a0 = ea.minPoint(), &a1 = ea.maxPoint(), &b0 = eb.minPoint(), &b1 = eb.maxPoint();
    const bool apartX = ApartOnAxis(a0.x, a1.x, b0.x, b1.x);
    const bool apartY = !apartX && ApartOnAxis(a0.y, a1.y, b0.y, b1.y);
    if (!apartX && !apartY) return 0;
    if (kernel == Kernel::kDifference)
        EmitCurveCopy(a);  // nothing of B reaches A
    else
        State().status = 3;
    return apartX ? -1 : -2;
}

// The curve as the overlay cuts it; false for a type it does not handle or too few vertices.
bool WorkingRing(const AcDbCurve* curve, BulgeRing& ring) {
    if (!IsHandled(curve)) return false;
    PointList points;
    DoubleList bulges;
    if (!ReadCurveVertices(curve, points, bulges)) return false;
    ring = OverlayWorkingRing(points, bulges);
    return ring.points.size() >= 3;
}

// The crossing points, each once (within 0.001); false when they cannot be had. Curves the
// overlay can cut are met as their working copies, so that every crossing lies on the copies
// it is inserted into (a dropped repeat can move an arc); others through the host.
bool Crossings(const AcDbCurve* a, const AcDbCurve* b, PointList& crossings) {
    PointList found;
    BulgeRing ra, rb;
    if (WorkingRing(a, ra) && WorkingRing(b, rb)) {
        IntersectBulgePolylines(ra.points, ra.bulges, rb.points, rb.bulges, true, true, kPointTolerance, found);
    } else {
        AcGePoint3dArray points;
        if (a->intersectWith(b, AcDb::kOnBothOperands, AcGePlane::kXYPlane, points) != Acad::eOk) return false;
        for (int i = 0; i < points.length(); ++i) found.push_back({points[i].x, points[i].y});
    }
    for (const Point2d& p : found)
        if (IndexOfPoint(crossings, p) < 0) crossings.push_back(p);
    return true;
}

// True when A's extents reach beyond B's on some side: then B is the one that may lie inside.
bool ReachesBeyond(const AcDbExtents& ea, const AcDbExtents& eb) {
    return ea.maxPoint().x > eb.maxPoint().x || ea.minPoint().x < eb.minPoint().x ||
           ea.maxPoint().y > eb.maxPoint().y || ea.minPoint().y < eb.minPoint().y;
}

bool SomeVertexInsideCurve(const AcDbCurve* inner, const AcDbCurve* outer) {
    PointList points;
    DoubleList bulges;
    if (!ReadCurveVertices(inner, points, bulges)) return false;
    for (const Point2d& p : points)
        if (PointInCurve(outer, p) == 1) return true;
    return false;
}

// The overlay of the working copies at two or more crossings (one for the difference).
int Overlay(OverlayOperation operation, const AcDbCurve* a, const AcDbCurve* b, const PointList& crossings) {
    BulgeRing ra, rb;
    if (!IsHandled(a) || !IsHandled(b)) {
        SayTypeNotHandled();
        return -1000;
    }
    if (!WorkingRing(a, ra) || !WorkingRing(b, rb)) return -1000;
    const OverlayOutcome outcome = OverlayCrossingRings(operation, std::move(ra), std::move(rb), crossings,
                                                        State().tolerance);
    if (outcome.copy == 1) EmitCurveCopy(a);
    if (outcome.copy == 2) EmitCurveCopy(b);
    for (const BulgeRing& ring : outcome.rings) EmitRing(ring);
    if (operation != OverlayOperation::kDifference) State().status = outcome.status;
    return outcome.result;
}

}  // namespace

int CurveBooleanStatus() { return State().status; }

int CurveIntersection(const AcDbCurve* a, const AcDbCurve* b) {
    AcDbExtents ea, eb;
    if (const int opened = Open(Kernel::kIntersection, a, b, ea, eb); opened != 0) return opened;
    PointList crossings;
    if (!IsHandled(a) || !IsHandled(b) || !Crossings(a, b, crossings)) {
        SayTypeNotHandled();
        return -1000;
    }
    if (crossings.size() <= 1) {
        const bool second = ReachesBeyond(ea, eb);
        const AcDbCurve* inner = second ? b : a;
        BulgeRing outer;
        PointList points;
        DoubleList bulges;
        if (!WorkingRing(second ? a : b, outer) || !ReadCurveVertices(inner, points, bulges)) return -1000;
        for (const Point2d& p : points) {
            if (PointInBulgePolygon(outer.points, outer.bulges, p.x, p.y) != 1) continue;
            EmitCurveCopy(inner);
            State().status = second ? 2 : 1;
            return 1;
        }
        return -1000;
    }
    return Overlay(OverlayOperation::kIntersection, a, b, crossings);
}

int CurveUnion(const AcDbCurve* a, const AcDbCurve* b) {
    AcDbExtents ea, eb;
    if (const int opened = Open(Kernel::kUnion, a, b, ea, eb); opened != 0) return opened;
    PointList crossings;
    if (!Crossings(a, b, crossings)) return -400;
    if (crossings.size() <= 1) {
        const bool second = ReachesBeyond(ea, eb);
        const AcDbCurve* inner = second ? b : a;
        const AcDbCurve* outer = second ? a : b;
        if (!SomeVertexInsideCurve(inner, outer)) return -1000;
        EmitCurveCopy(outer);
        State().status = second ? 2 : 1;
        return 1;
    }
    return Overlay(OverlayOperation::kUnion, a, b, crossings);
}

int CurveDifference(const AcDbCurve* a, const AcDbCurve* b) {
    AcDbExtents ea, eb;
    if (const int opened = Open(Kernel::kDifference, a, b, ea, eb); opened != 0) return opened;
    PointList crossings;
    if (!Crossings(a, b, crossings)) return -400;
    if (crossings.empty()) {
        // B inside A would leave a hole, which one closed polyline cannot hold; A inside B leaves
        // nothing; apart, A stays whole.
        if (SomeVertexInsideCurve(b, a)) return 2;
        if (SomeVertexInsideCurve(a, b)) return 1;
        EmitCurveCopy(a);
        return 1;
    }
    return Overlay(OverlayOperation::kDifference, a, b, crossings);
}

bool CurveBooleanDispatch(AcDbObjectId first, AcDbObjectId second, int operation) {
    if (first == second) return false;
    drawingutil::Opened<AcDbCurve> a(first, AcDb::kForRead);
    if (!a) return false;
    drawingutil::Opened<AcDbCurve> b(second, AcDb::kForRead);
    if (!b) return false;
    switch (operation) {
        case 1: CurveIntersection(a.get(), b.get()); break;
        case 2: CurveUnion(a.get(), b.get()); break;
        case 3: CurveDifference(a.get(), b.get()); break;
        default: CurveDifference(b.get(), a.get()); break;
    }
    return true;
}

bool CurveBoolean(AcDbObjectId first, AcDbObjectId second, AcDbObjectIdArray& resultIds, int operation,
                  double tolerance) {
    if (operation < 1 || operation > 4) operation = 1;
    State().tolerance = tolerance;
    State().results.setLogicalLength(0);
    if (!CurveBooleanDispatch(first, second, operation)) return false;
    for (int i = 0; i < State().results.length(); ++i) resultIds.append(State().results[i]);
    return true;
}

int PointInCurve(const AcDbCurve* curve, const Point2d& p) {
    if (curve == nullptr) return -100;
    if (!curve->isClosed()) return -4;
    AcDbExtents extents;
    if (curve->getGeomExtents(extents) != Acad::eOk || extents.isEmpty()) return -300;
    const AcGePoint3d &lo = extents.minPoint(), &hi = extents.maxPoint();
    if (p.x < lo.x - kPointTolerance || p.x > hi.x + kPointTolerance || p.y < lo.y - kPointTolerance ||
        p.y > hi.y + kPointTolerance)
        return 0;
    if (IsCircle(curve)) {
        const auto* circle = static_cast<const AcDbCircle*>(curve);
        const double d = std::hypot(p.x - circle->center().x, p.y - circle->center().y);
        const double r = circle->radius();
        if (d < r - kPointTolerance) return 1;
        return std::fabs(d - r) <= kPointTolerance ? 2 : 0;
    }
    if (curve->isA() == AcDbEllipse::desc()) {
        // The foci lie on the major axis, c = sqrt(a^2 - b^2) from the centre either way; the sum
        // of a point's distances to them is 2a on the ellipse.
        const auto* ellipse = static_cast<const AcDbEllipse*>(curve);
        const AcGeVector3d major = ellipse->majorAxis();
        const double a = std::hypot(major.x, major.y);
        if (!(a > 0.0)) return -300;
        const double b = a * ellipse->radiusRatio();
        const double c = std::sqrt(std::max(0.0, a * a - b * b));
        const double ux = major.x / a, uy = major.y / a;
        const AcGePoint3d o = ellipse->center();
        const double sum = std::hypot(p.x - (o.x + c * ux), p.y - (o.y + c * uy)) +
                           std::hypot(p.x - (o.x - c * ux), p.y - (o.y - c * uy));
        if (sum < 2.0 * a - kPointTolerance) return 1;
        return std::fabs(sum - 2.0 * a) <= kPointTolerance ? 2 : 0;
    }
    if (!IsLightweight(curve) && !Is2d(curve)) return -100;
    PointList points;
    DoubleList bulges;
    if (!ReadCurveVertices(curve, points, bulges)) return -7;
    const BulgeRing ring = OverlayWorkingRing(points, bulges);
    if (ring.points.size() < 3) return -5;
    double param = 0.0;
    if (curve->getParamAtPoint(AcGePoint3d(p.x, p.y, 0.0), param) == Acad::eOk) return 2;
    return PointInRing(ring, p);
}

int PointInPolyline(const AcDbCurve* curve, const Point2d& p) {
    PointList points;
    DoubleList bulges;
    if (curve == nullptr || !ReadCurveVertices(curve, points, bulges)) return -4;
    return PointInArcRing(points, bulges, p);
}

}  // namespace geometry
