#include "drawingutil/polyline_vertices.h"

#include <memory>
#include <vector>

#include "platform/cad/ads_transform.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"

#include "command_line.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/curve_measures.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

constexpr int kCircleSteps = 360;
// A new vertex reuses an old one (bulge and widths) when it lies this close.
constexpr double kSameVertex = 0.0001;

bool Selected(AcDb::Vertex2dType type, int fit)
{
    if (type == AcDb::k2dVertex)
        return true;
    if (fit == 1)
        return type == AcDb::k2dSplineFitVertex || type == AcDb::k2dCurveFitVertex;
    return type == AcDb::k2dSplineCtlVertex;
}

// Calls `use` for each vertex the fit flag selects, opened for reading. False when a vertex
// cannot be opened.
template <typename F>
bool ForEachSelectedVertex(const AcDb2dPolyline* poly, int fit, F&& use)
{
    std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
    for (it->start(); !it->done(); it->step()) {
        if (it->objectId().isNull()) {  // a polyline not yet in a drawing
            const AcDb2dVertex* vertex = As2dVertex(it->entity());
            if (vertex == nullptr)
                return false;
            if (Selected(vertex->vertexType(), fit))
                use(*vertex);
            continue;
        }
        Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
        if (!vertex)
            return false;
        if (Selected(vertex->vertexType(), fit))
            use(*vertex.get());
    }
    return true;
}

// Moves the points from `first` on from the entity's own coordinate system into the user's; a
// point the host cannot move keeps its value.
void EcsToUcs(AcGePoint2dArray& points, int first, const AcGeVector3d& normal, double z)
{
    if (normal.isEqualTo(AcGeVector3d::kZAxis))
        return;
    const ads_point n = {normal.x, normal.y, normal.z};
    for (int i = first; i < points.length(); ++i) {
        ads_point from = {points[i].x, points[i].y, z}, to = {0, 0, 0};
        if (acdbEcs2Ucs(from, to, n, false) == RTNORM)
            points[i].set(to[0], to[1]);
    }
}

void WcsToUcs(AcGePoint2dArray& points, int first)
{
    for (int i = first; i < points.length(); ++i) {
        ads_point from = {points[i].x, points[i].y, 0}, to = {0, 0, 0};
        if (acdbWcs2Ucs(from, to, false) == RTNORM)
            points[i].set(to[0], to[1]);
    }
}

struct VertexCopy {
    AcGePoint3d position;
    double bulge, startWidth, endWidth;
    Chain xdata;  // boundary-line codes and the like stay with the position
    bool used = false;
};

void SetLightweightVertices(AcDbPolyline* poly, const AcGePoint2dArray& points)
{
    unsigned int n = static_cast<unsigned int>(points.length());
    unsigned int m = poly->numVerts();
    for (unsigned int j = 0; j < n && j < m; ++j)
        poly->setPointAt(j, points[static_cast<int>(j)]);
    for (unsigned int j = n; j < m; ++j)
        poly->removeVertexAt(n);
    for (unsigned int j = m; j < n; ++j)
        poly->addVertexAt(j, points[static_cast<int>(j)]);
}

// The old vertices are put in front again where a point still lies on one, so that the arcs and
// widths drawn there survive; then the old list behind the new one is erased.
void Set2dVertices(AcDb2dPolyline* poly, const AcGePoint2dArray& points, double width)
{
    AcDb::Poly2dType type = poly->polyType();
    if (type != AcDb::k2dSimplePoly && poly->straighten() != Acad::eOk)
        return;
    std::vector<VertexCopy> copies;
    AcDbObjectIdArray oldIds;
    {
        std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
        for (it->start(); !it->done(); it->step()) {
            Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
            if (!vertex)
                return;
            oldIds.append(it->objectId());
            copies.push_back({vertex->position(), vertex->bulge(), vertex->startWidth(), vertex->endWidth(),
                              Chain(vertex->xData())});
        }
    }
    for (int i = points.length() - 1; i >= 0; --i) {
        const AcGePoint2d& p = points[i];
        AcDb2dVertex* vertex = nullptr;
        const resbuf* xdata = nullptr;
        for (VertexCopy& copy : copies) {
            if (!copy.used && AcGePoint2d(copy.position.x, copy.position.y).distanceTo(p) <= kSameVertex) {
                copy.used = true;
                vertex = new AcDb2dVertex(copy.position, copy.bulge, copy.startWidth, copy.endWidth);
                xdata = copy.xdata.get();
                break;
            }
        }
        if (vertex == nullptr)
            vertex = new AcDb2dVertex(AcGePoint3d(p.x, p.y, poly->elevation()), 0, width, width);
        AcDbObjectId id;
        if (poly->insertVertexAt(id, AcDbObjectId::kNull, vertex) != Acad::eOk) {
            delete vertex;
            continue;
        }
        if (xdata != nullptr)
            vertex->setXData(xdata);
        vertex->close();
    }
    for (int i = 0; i < oldIds.length(); ++i) {
        Opened<AcDb2dVertex> old(oldIds[i], AcDb::kForWrite);
        if (old)
            old->erase();
    }
    if (type != AcDb::k2dSimplePoly)
        poly->convertToPolyType(type);
}

}  // namespace

bool GetOpenCurvePoints(AcDbEntity* entity, AcGePoint2dArray& points, int fit)
{
    if (entity == nullptr)
        return false;
    const AcRxClass* cls = entity->isA();
    int first = points.length();
    if (cls == AcDbPolyline::desc()) {
        auto* poly = static_cast<AcDbPolyline*>(entity);
        points.setLogicalLength(static_cast<int>(poly->numVerts()));
        for (unsigned int i = 0; i < poly->numVerts(); ++i)
            poly->getPointAt(i, points[static_cast<int>(i)]);
        EcsToUcs(points, 0, poly->normal(), poly->elevation());
        return true;
    }
    if (cls == AcDb2dPolyline::desc()) {
        auto* poly = static_cast<AcDb2dPolyline*>(entity);
        bool read = ForEachSelectedVertex(poly, fit, [&](const AcDb2dVertex& v) {
            points.append(AcGePoint2d(v.position().x, v.position().y));
        });
        if (!read)
            return false;
        EcsToUcs(points, first, poly->normal(), poly->elevation());
        return true;
    }
    if (cls == AcDbCircle::desc()) {
        auto* circle = static_cast<AcDbCircle*>(entity);
        AcGePoint3d c = circle->center();
        for (int i = 0; i < kCircleSteps; ++i) {
            double a = i * M_PI / 180.0;
            points.append(AcGePoint2d(c.x + circle->radius() * std::cos(a), c.y + circle->radius() * std::sin(a)));
        }
        EcsToUcs(points, first, circle->normal(), c.z);
        return true;
    }
    if (cls == AcDbLine::desc()) {
        auto* line = static_cast<AcDbLine*>(entity);
        points.append(AcGePoint2d(line->startPoint().x, line->startPoint().y));
        points.append(AcGePoint2d(line->endPoint().x, line->endPoint().y));
        // A line's ends are world points already, whatever its normal.
        if (!line->normal().isEqualTo(AcGeVector3d::kZAxis))
            WcsToUcs(points, first);
        return true;
    }
    return false;
}

bool GetCurvePoints(const ads_name entity, AcGePoint2dArray& points, int fit)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbEntity> object(id, AcDb::kForRead);
    return object && GetOpenCurvePoints(object.get(), points, fit);
}

bool GetPolylineBulges(AcDbEntity* entity, AcGeDoubleArray& bulges, int fit)
{
    if (entity == nullptr)
        return false;
    const AcRxClass* cls = entity->isA();
    if (cls == AcDbPolyline::desc()) {
        auto* poly = static_cast<AcDbPolyline*>(entity);
        for (unsigned int i = 0; i < poly->numVerts(); ++i) {
            double bulge = 0;
            poly->getBulgeAt(i, bulge);
            bulges.append(bulge);
        }
        return true;
    }
    if (cls == AcDb2dPolyline::desc())
        return ForEachSelectedVertex(static_cast<AcDb2dPolyline*>(entity), fit,
                                     [&](const AcDb2dVertex& v) { bulges.append(v.bulge()); });
    if (cls == AcDbLine::desc()) {
        bulges.append(0.0);
        bulges.append(0.0);
        return true;
    }
    return false;
}

bool GetCurveBulges(const ads_name entity, AcGeDoubleArray& bulges, int fit)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbEntity> object(id, AcDb::kForRead);
    return object && GetPolylineBulges(object.get(), bulges, fit);
}

void SetPolylineVertices(const ads_name entity, const AcGePoint2dArray& points)
{
    double width = 0;
    if (points.length() < 2 || !GetPolylineWidth(entity, width))
        return;
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return;
    Opened<AcDbEntity> object(id, AcDb::kForWrite);
    if (AcDbPolyline* lw = AsPolyline(object.get()))
        SetLightweightVertices(lw, points);
    else if (AcDb2dPolyline* poly = As2dPolyline(object.get()))
        Set2dVertices(poly, points, width);
}

bool ConvertTo2dPolyline(ads_name entity)
{
    int kind = GetCurveKind(entity, 0);
    if (kind < 0)
        return false;
    if (kind != kCurveLightweight)
        return true;
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    AcDbPolyline* lw = nullptr;
    if (acdbOpenObject(lw, id, AcDb::kForWrite) != Acad::eOk)
        return false;
    AcDb2dPolyline* poly = nullptr;
    if (lw->convertTo(poly, true) != Acad::eObjectToBeDeleted || poly == nullptr) {
        PrintOnCommandLine("无法转换轻量线\n");
        lw->close();
        return false;
    }
    // The 2D polyline now holds the id; the old object has left the drawing.
    poly->close();
    delete lw;
    acdbGetAdsName(entity, id);
    return true;
}
