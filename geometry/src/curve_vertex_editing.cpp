#include "geometry/curve_vertex_editing.h"

#include <cmath>
#include <memory>
#include <vector>

#include "drawingutil/host_objects.h"
#include "geometry/bulge_polyline.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/vertex_cleanup.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"

namespace geometry {
namespace {

constexpr double kArcTolerance = 0.001;

bool Finite(const Point2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The vertex objects of a simple 2D polyline in the drawing, in order; false for a fitted one or
// one whose vertices are not drawing objects.
bool VertexIds(const AcDb2dPolyline* polyline, std::vector<AcDbObjectId>& ids) {
    if (polyline->polyType() != AcDb::k2dSimplePoly) return false;
    std::unique_ptr<AcDbObjectIterator> it(polyline->vertexIterator());
    if (!it) return false;
    for (it->start(); !it->done(); it->step()) {
        if (it->objectId().isNull()) return false;
        ids.push_back(it->objectId());
    }
    return true;
}

bool SetVertex2d(AcDbObjectId id, const Point2d* position, const double* bulge) {
    drawingutil::Opened<AcDb2dVertex> vertex(id, AcDb::kForWrite);
    if (!vertex) return false;
    if (position != nullptr) {
        const AcGePoint3d old = vertex->position();
        if (vertex->setPosition(AcGePoint3d(position->x, position->y, old.z)) != Acad::eOk) return false;
    }
    return bulge == nullptr || vertex->setBulge(*bulge) == Acad::eOk;
}

bool IsHandled(const AcDbCurve* curve) {
    return curve->isA() == AcDbPolyline::desc() ||
           (curve->isA() == AcDb2dPolyline::desc() &&
            static_cast<const AcDb2dPolyline*>(curve)->polyType() == AcDb::k2dSimplePoly);
}

// Removes the vertices at the ascending indexes, the highest first so that the others keep theirs.
bool RemoveVertices(AcDbCurve* curve, const std::vector<std::size_t>& indexes) {
    if (curve->isA() == AcDbPolyline::desc()) {
        auto* lw = static_cast<AcDbPolyline*>(curve);
        for (auto it = indexes.rbegin(); it != indexes.rend(); ++it)
            if (lw->removeVertexAt(static_cast<unsigned>(*it)) != Acad::eOk) return false;
        return true;
    }
    std::vector<AcDbObjectId> ids;
    if (curve->isA() != AcDb2dPolyline::desc() || !VertexIds(static_cast<AcDb2dPolyline*>(curve), ids)) return false;
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        if (*it >= ids.size()) return false;
        drawingutil::Opened<AcDb2dVertex> vertex(ids[*it], AcDb::kForWrite);
        if (!vertex || vertex->erase() != Acad::eOk) return false;
    }
    return true;
}

// Reads the curve open for write and removes what `pick` chooses from its vertices; the number
// removed, -1 when the curve cannot be read or edited.
template <typename Pick>
int RemovePicked(AcDbCurve* curve, Pick pick) {
    PointList points;
    DoubleList bulges;
    if (!IsHandled(curve) || !ReadCurveVertices(curve, points, bulges)) return -1;
    const std::vector<std::size_t> indexes = pick(points, curve->isClosed());
    if (indexes.empty()) return 0;
    return RemoveVertices(curve, indexes) ? static_cast<int>(indexes.size()) : -1;
}

}  // namespace

int InsertVertexOnSegment(AcDbCurve* curve, const PointList& points, const DoubleList& bulges, int segment,
                          const Point2d& p) {
    if (curve == nullptr || segment < 0 || !Finite(p) || !IsHandled(curve)) return -1;
    const std::size_t i = static_cast<std::size_t>(segment);
    const std::size_t segments = curve->isClosed() ? points.size() : points.size() - 1;
    if (points.empty() || i >= segments) return -1;
    double first = 0.0, second = 0.0;
    if (!SplitSegmentBulges(points, bulges, i, p, kArcTolerance, first, second)) return -1;
    const unsigned at = static_cast<unsigned>(i + 1);
    if (curve->isA() == AcDbPolyline::desc()) {
        auto* lw = static_cast<AcDbPolyline*>(curve);
        if (i >= lw->numVerts() || lw->addVertexAt(at, AcGePoint2d(p.x, p.y), second) != Acad::eOk) return -1;
        lw->setBulgeAt(static_cast<unsigned>(i), first);
        return static_cast<int>(at);
    }
    auto* polyline = static_cast<AcDb2dPolyline*>(curve);
    std::vector<AcDbObjectId> ids;
    if (!VertexIds(polyline, ids) || i >= ids.size()) return -1;
    AcDbObjectId newId;
    auto* vertex = new AcDb2dVertex(AcGePoint3d(p.x, p.y, polyline->elevation()), second);
    if (polyline->insertVertexAt(newId, ids[i], vertex) != Acad::eOk) {
        delete vertex;
        return -1;
    }
    vertex->close();
    if (!SetVertex2d(ids[i], nullptr, &first)) return -1;
    return static_cast<int>(at);
}

int InsertVertexAtPointOnCurve(AcDbObjectId id, const Point2d& p) {
    drawingutil::Opened<AcDbCurve> curve(id, AcDb::kForWrite);
    if (!curve || !Finite(p)) return -1;
    PointList points;
    DoubleList bulges;
    double t = 0.0;
    if (!ReadCurveVertices(curve.get(), points, bulges) ||
        !PointParameterOnPolyline(points, bulges, p, curve->isClosed(), kArcTolerance, t))
        return -1;
    return InsertVertexOnSegment(curve.get(), points, bulges, static_cast<int>(t), p);
}

bool MoveCurveVertex(AcDbObjectId id, int index, const Point2d& p) {
    if (index < 0 || !Finite(p)) return false;
    drawingutil::Opened<AcDbCurve> curve(id, AcDb::kForWrite);
    if (!curve) return false;
    if (curve->isA() == AcDbPolyline::desc()) {
        auto* lw = static_cast<AcDbPolyline*>(curve.get());
        return static_cast<unsigned>(index) < lw->numVerts() &&
               lw->setPointAt(static_cast<unsigned>(index), AcGePoint2d(p.x, p.y)) == Acad::eOk;
    }
    if (curve->isA() == AcDb2dPolyline::desc()) {
        std::vector<AcDbObjectId> ids;
        return VertexIds(static_cast<AcDb2dPolyline*>(curve.get()), ids) && static_cast<std::size_t>(index) < ids.size() &&
               SetVertex2d(ids[static_cast<std::size_t>(index)], &p, nullptr);
    }
    if (curve->isA() == AcDbLine::desc()) {
        auto* line = static_cast<AcDbLine*>(curve.get());
        const double z = index == 0 ? line->startPoint().z : line->endPoint().z;
        const AcGePoint3d to(p.x, p.y, z);
        return (index == 0 ? line->setStartPoint(to) : line->setEndPoint(to)) == Acad::eOk;
    }
    return false;
}

bool RemoveCloseVertices(AcDbObjectId id, double tolerance, int* removed) {
    drawingutil::Opened<AcDbCurve> curve(id, AcDb::kForWrite);
    if (!curve || !std::isfinite(tolerance)) return false;
    const int count = RemovePicked(curve.get(), [&](const PointList& points, bool closed) {
        return CloseVertexIndexes(points, closed, tolerance);
    });
    if (removed != nullptr) *removed = count < 0 ? 0 : count;
    return count >= 0;
}

bool RemoveCloseVertices(const ads_name name, double tolerance, int* removed) {
    AcDbObjectId id;
    return drawingutil::IdOfName(name, id) && RemoveCloseVertices(id, tolerance, removed);
}

int RemoveDegenerateVertices(const ads_name name, double angleTolerance, double distanceTolerance, bool collinear) {
    AcDbObjectId id;
    int close = 0;
    if (!drawingutil::IdOfName(name, id) || !std::isfinite(angleTolerance) || !std::isfinite(distanceTolerance) ||
        !RemoveCloseVertices(id, distanceTolerance, &close))
        return -1;
    drawingutil::Opened<AcDbCurve> curve(id, AcDb::kForWrite);
    if (!curve) return -1;
    const int spikes = RemovePicked(curve.get(), [&](const PointList& points, bool closed) {
        return DegenerateVertexIndexes(points, closed, angleTolerance, distanceTolerance, collinear);
    });
    return spikes < 0 ? -1 : close + spikes;
}

bool CurveIntersectionPoints(const AcDbCurve* first, const AcDbCurve* second, AcGePoint3dArray& points,
                             double arcTolerance) {
    PointList p1, p2;
    DoubleList b1, b2;
    if (first == nullptr || second == nullptr || !ReadCurveVertices(first, p1, b1) ||
        !ReadCurveVertices(second, p2, b2))
        return false;
    PointList meeting;
    IntersectBulgePolylines(p1, b1, p2, b2, first->isClosed(), second->isClosed(), arcTolerance, meeting);
    for (const Point2d& p : meeting) points.append(AcGePoint3d(p.x, p.y, 0.0));
    return true;
}

}  // namespace geometry
