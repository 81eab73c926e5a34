#include "drawingutil/coded_entities.h"

#include <memory>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"

#include "drawingutil/blocks.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/layers.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/xdata_items.h"

namespace drawingutil {

void AttachFeatureCode(AcDbEntity* entity, const char* code)
{
    if (entity == nullptr || code == nullptr || *code == '\0')
        return;
    if (!EnsureRegisteredApp(acdbHostApplicationServices()->workingDatabase(), kFeatureCodeApp))
        return;
    Chain chain(acutBuildList(1001, kFeatureCodeApp, 0));
    if (chain && (chain->rbnext = NewItem(0, code)) != nullptr)
        entity->setXData(chain.get());
}

AcDbObjectId FinishCodedEntity(AcDbEntity* entity, const char* code, const char* layer, AcDbGroup* group)
{
    std::unique_ptr<AcDbEntity> owned(entity);
    if (!owned)
        return {};
    AttachFeatureCode(owned.get(), code);
    EnsureLayer(owned.get(), layer);
    AcDbObjectId id;
    if (!AppendToModelSpace(owned.get(), id))
        return {};
    owned.release()->close();
    if (group != nullptr)
        group->append(id);
    return id;
}

}  // namespace drawingutil

using namespace drawingutil;

AcDbObjectId CreateCodedLine(const AcGePoint3d& start, const AcGePoint3d& end, const char* code, AcDbGroup* group,
                             const char* layer)
{
    return FinishCodedEntity(new AcDbLine(start, end), code, layer, group);
}

AcDbObjectId CreateCodedCircle(const AcGePoint3d& centre, double radius, const char* code, AcDbGroup* group,
                               const char* layer)
{
    auto circle = std::make_unique<AcDbCircle>(AcGePoint3d(centre.x, centre.y, 0), AcGeVector3d(0, 0, 1), 1.0);
    if (circle->setRadius(radius) != Acad::eOk)
        return {};
    return FinishCodedEntity(circle.release(), code, layer, group);
}

namespace {

double BulgeAt(const AcGeDoubleArray* bulges, int index)
{
    return bulges != nullptr && index < bulges->length() ? (*bulges)[index] : 0.0;
}

AcDbEntity* NewLightweightPolyline(const AcGePoint2dArray& points, double elevation, bool closed, double width,
                                   const AcGeDoubleArray* bulges)
{
    auto polyline = std::make_unique<AcDbPolyline>(static_cast<unsigned>(points.length()));
    for (int i = 0; i < points.length(); ++i) {
        auto index = static_cast<unsigned>(i);
        polyline->addVertexAt(index, points[i], BulgeAt(bulges, i), -1, -1);
        if (width > 0)
            polyline->setWidthsAt(index, width, width);
    }
    polyline->setClosed(closed);
    polyline->setElevation(elevation);
    polyline->setPlinegen(true);
    return polyline.release();
}

AcDbEntity* New2dPolyline(AcDb::Poly2dType kind, const AcGePoint2dArray& points, double elevation, bool closed,
                          double width, const AcGeDoubleArray* bulges)
{
    AcGePoint3dArray vertices;
    AcGeDoubleArray vertexBulges;
    for (int i = 0; i < points.length(); ++i) {
        vertices.append(AcGePoint3d(points[i].x, points[i].y, elevation));
        vertexBulges.append(BulgeAt(bulges, i));
    }
    auto polyline = std::make_unique<AcDb2dPolyline>(kind, vertices, elevation, closed, width, width,
                                                     bulges != nullptr ? &vertexBulges : nullptr);
    polyline->setLinetypeGenerationOn();
    return polyline.release();
}

}  // namespace

AcDbObjectId CreateCodedPolyline(const AcGePoint2dArray& points, double elevation, int closed, const char* code,
                                 double width, int type, const char* layer, const AcGeDoubleArray* bulges,
                                 AcDbGroup* group)
{
    bool isClosed = closed == 1;
    switch (type) {
    case kLightweightPolyline:
        return FinishCodedEntity(NewLightweightPolyline(points, elevation, isClosed, width, bulges), code, layer, group);
    case kFitCurvePolyline:
        return FinishCodedEntity(New2dPolyline(AcDb::k2dFitCurvePoly, points, elevation, isClosed, width, bulges),
                                 code, layer, group);
    case kQuadSplinePolyline:
        return FinishCodedEntity(New2dPolyline(AcDb::k2dQuadSplinePoly, points, elevation, isClosed, width, bulges),
                                 code, layer, group);
    case kSimple2dPolyline:
        return FinishCodedEntity(New2dPolyline(AcDb::k2dSimplePoly, points, elevation, isClosed, width, bulges),
                                 code, layer, group);
    default:
        return {};
    }
}
