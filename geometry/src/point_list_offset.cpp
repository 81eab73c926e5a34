#include "geometry/point_list_offset.h"

#include <cmath>
#include <memory>

#include "drawingutil/point_rings.h"
#include "drawingutil/polyline_vertices.h"
#include "platform/cad/db_polyline.h"

namespace geometry {

bool OffsetPointList(PointList& vertices, double distance, double tolerance, bool closed) {
    if (vertices.size() < 3) return false;
    if (!std::isfinite(distance)) return false;
    if (std::fabs(distance) < tolerance) return true;

    AcGePoint2dArray ring;
    for (const Point2d& p : vertices) ring.append(AcGePoint2d(p.x, p.y));
    // The host offsets to the left of travel; the sign keeps meaning the same side of the ring.
    if (IsRingClockwise(ring)) distance = -distance;

    AcDbVoidPtrArray curves;
    {
        const auto polyline = std::make_unique<AcDbPolyline>();
        for (int i = 0; i < ring.length(); ++i) polyline->addVertexAt(i, ring[i]);
        polyline->setClosed(closed);
        if (polyline->getOffsetCurves(distance, curves) != Acad::eOk) {
            for (int i = 0; i < curves.length(); ++i) delete static_cast<AcDbEntity*>(curves[i]);
            return false;
        }
    }
    if (curves.length() == 0) return false;

    AcGePoint2dArray offset;
    const bool read = GetOpenCurvePoints(static_cast<AcDbEntity*>(curves[0]), offset, 0);
    for (int i = 0; i < curves.length(); ++i) delete static_cast<AcDbEntity*>(curves[i]);
    if (!read) return false;
    vertices.clear();
    for (int i = 0; i < offset.length(); ++i) vertices.push_back({offset[i].x, offset[i].y});
    return true;
}

}  // namespace geometry
