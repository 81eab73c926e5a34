#include "drawingutil/flat_frames.h"

#include <memory>

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"

namespace drawingutil {
namespace {

bool FacesUp(const AcGeVector3d& normal) {
    return normal.x == 0 && normal.y == 0 && normal.z == 1;
}

}  // namespace

bool ReadFlatFrame(AcDbEntity* entity, std::vector<AcGePoint2d>& points, std::vector<double>& bulges) {
    if (AcDbPolyline* lw = AsPolyline(entity)) {
        if (!FacesUp(lw->normal()))
            return false;
        for (unsigned int i = 0; i < lw->numVerts(); ++i) {
            AcGePoint2d p;
            double bulge = 0;
            if (lw->getPointAt(i, p) != Acad::eOk || lw->getBulgeAt(i, bulge) != Acad::eOk)
                return false;
            points.push_back(p);
            bulges.push_back(bulge);
        }
        return !points.empty();
    }
    AcDb2dPolyline* poly = As2dPolyline(entity);
    if (poly == nullptr || poly->polyType() != AcDb::k2dSimplePoly || !FacesUp(poly->normal()))
        return false;
    std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
    for (it->start(); !it->done(); it->step()) {
        Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
        if (!vertex || vertex->vertexType() != AcDb::k2dVertex)
            return false;
        points.emplace_back(vertex->position().x, vertex->position().y);
        bulges.push_back(vertex->bulge());
    }
    return !points.empty();
}

}  // namespace drawingutil
