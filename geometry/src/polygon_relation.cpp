#include "geometry/polygon_relation.h"

#include <cmath>

#include "drawingutil/host_objects.h"
#include "geometry/curve_vertex_readers.h"

namespace geometry {
namespace {

// Strictly apart on an axis: the centres further apart than half the two sizes together.
bool ApartOnAxis(double min1, double max1, double min2, double max2) {
    return std::fabs((min1 + max1) - (min2 + max2)) / 2.0 > ((max1 - min1) + (max2 - min2)) / 2.0;
}

}  // namespace

int PolygonRelation(const AcDbCurve* first, const AcDbCurve* second) {
    if (first == nullptr) return kRelationFirstUnreadable;
    if (second == nullptr) return kRelationSecondUnreadable;
    if (!first->isClosed() || !second->isClosed()) return kRelationNotClosed;
    AcDbExtents e1, e2;
    if (first->getGeomExtents(e1) == Acad::eOk && second->getGeomExtents(e2) == Acad::eOk && !e1.isEmpty() &&
        !e2.isEmpty()) {
        const AcGePoint3d &a = e1.minPoint(), &b = e1.maxPoint(), &c = e2.minPoint(), &d = e2.maxPoint();
        if (ApartOnAxis(a.x, b.x, c.x, d.x) || ApartOnAxis(a.y, b.y, c.y, d.y)) return kRelationApart;
    }
    PointList points1, points2;
    DoubleList bulges1, bulges2;
    if (!ReadCurveVertices(first, points1, bulges1)) return kRelationFirstUnreadable;
    if (!ReadCurveVertices(second, points2, bulges2)) return kRelationSecondUnreadable;
    return RingRelation(std::move(points1), std::move(bulges1), std::move(points2), std::move(bulges2));
}

int PolygonRelationById(AcDbObjectId first, AcDbObjectId second) {
    drawingutil::Opened<AcDbCurve> a(first, AcDb::kForRead);
    if (!a) return kRelationFirstUnreadable;
    drawingutil::Opened<AcDbCurve> b(second, AcDb::kForRead);
    if (!b) return kRelationFirstUnreadable;
    return PolygonRelation(a.get(), b.get());
}

int PolygonRelationByName(const ads_name first, const ads_name second) {
    AcDbObjectId a, b;
    if (!drawingutil::IdOfName(first, a) || !drawingutil::IdOfName(second, b)) return kRelationFirstUnreadable;
    return PolygonRelationById(a, b);
}

}  // namespace geometry
