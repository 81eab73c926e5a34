#include "geometry/curve_vertex_readers.h"

#include <memory>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_object.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"

namespace geometry {
namespace {

// Calls visit(vertex entity) for each vertex of a 2D or 3D polyline; false when one cannot be opened.
template <typename Polyline, typename Visit>
bool EachVertex(const Polyline* polyline, Visit visit) {
    std::unique_ptr<AcDbObjectIterator> it(polyline->vertexIterator());
    if (!it) return false;
    for (it->start(); !it->done(); it->step()) {
        const AcDbObjectId id = it->objectId();
        if (id.isNull()) {
            // A polyline not yet in a drawing holds its vertices itself.
            if (it->entity() == nullptr) return false;
            visit(it->entity());
            continue;
        }
        AcDbEntity* vertex = nullptr;
        if (acdbOpenObject(vertex, id, AcDb::kForRead) != Acad::eOk) return false;
        visit(vertex);
        vertex->close();
    }
    return true;
}

bool ReadPolyline(const AcDbEntity* entity, PointList& vertices, DoubleList* bulges) {
    if (entity->isA() == AcDbPolyline::desc()) {
        const auto* lw = static_cast<const AcDbPolyline*>(entity);
        vertices.resize(lw->numVerts());
        if (bulges != nullptr) bulges->resize(lw->numVerts());
        for (unsigned i = 0; i < lw->numVerts(); ++i) {
            AcGePoint2d p;
            lw->getPointAt(i, p);
            vertices[i] = {p.x, p.y};
            if (bulges != nullptr) lw->getBulgeAt(i, (*bulges)[i]);
        }
        return true;
    }
    if (entity->isA() == AcDb2dPolyline::desc()) {
        return EachVertex(static_cast<const AcDb2dPolyline*>(entity), [&](AcDbEntity* v) {
            const AcDb2dVertex* vertex = AcDb2dVertex::cast(v);
            if (vertex == nullptr || vertex->vertexType() == AcDb::k2dSplineCtlVertex) return;
            vertices.push_back({vertex->position().x, vertex->position().y});
            if (bulges != nullptr) bulges->push_back(vertex->bulge());
        });
    }
    if (entity->isA() == AcDb3dPolyline::desc()) {
        return EachVertex(As3dPolyline(entity), [&](AcDbEntity* v) {
            const AcDb3dPolylineVertex* vertex = AcDb3dPolylineVertex::cast(v);
            if (vertex == nullptr || vertex->vertexType() == AcDb::k3dControlVertex) return;
            vertices.push_back({vertex->position().x, vertex->position().y});
            if (bulges != nullptr) bulges->push_back(0.0);
        });
    }
    return false;
}

template <typename Read>
bool WithEntity(AcDbObjectId id, Read read) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForRead) != Acad::eOk) return false;
    const bool ok = read(entity);
    entity->close();
    return ok;
}

}  // namespace

AcDb3dPolyline* As3dPolyline(AcRxObject* object) { return AcDb3dPolyline::cast(object); }
const AcDb3dPolyline* As3dPolyline(const AcRxObject* object) { return AcDb3dPolyline::cast(object); }

bool ReadCurveVertices(const AcDbEntity* entity, PointList& vertices, DoubleList& bulges) {
    if (entity == nullptr) return false;
    if (entity->isA() == AcDbCircle::desc()) {
        const auto* circle = static_cast<const AcDbCircle*>(entity);
        const AcGePoint3d c = circle->center();
        vertices.push_back({c.x + circle->radius(), c.y});
        vertices.push_back({c.x - circle->radius(), c.y});
        bulges.push_back(1.0);
        bulges.push_back(1.0);
        return true;
    }
    return ReadPolyline(entity, vertices, &bulges);
}

bool ReadCurvePoints(const AcDbEntity* entity, PointList& vertices) {
    return entity != nullptr && ReadPolyline(entity, vertices, nullptr);
}

bool ReadEntityVertices(AcDbObjectId id, PointList& vertices, DoubleList& bulges) {
    return WithEntity(id, [&](AcDbEntity* e) { return ReadCurveVertices(e, vertices, bulges); });
}

bool ReadEntityPoints(AcDbObjectId id, PointList& vertices) {
    return WithEntity(id, [&](AcDbEntity* e) { return ReadCurvePoints(e, vertices); });
}

bool ReadEntityVerticesByName(const ads_name entity, PointList& vertices, DoubleList& bulges) {
    AcDbObjectId id;
    return acdbGetObjectId(id, entity) == Acad::eOk && ReadEntityVertices(id, vertices, bulges);
}

bool ReadEntityPointsByName(const ads_name entity, PointList& vertices) {
    AcDbObjectId id;
    return acdbGetObjectId(id, entity) == Acad::eOk && ReadEntityPoints(id, vertices);
}

}  // namespace geometry
