#include "platform/cad/db_region.h"

#include <cmath>

#include "platform/cad/db_curve.h"

DERO_RX_DEFINE_MEMBERS(AcDbRegion, "REGION", AcDbEntity)

Acad::ErrorStatus AcDbRegion::createFromCurves(const AcDbVoidPtrArray& curves, AcDbVoidPtrArray& regions)
{
    for (void* item : curves) {
        auto* curve = AcDbCurve::cast(static_cast<AcRxObject*>(item));
        if (curve == nullptr)
            return Acad::eNotThatKindOfClass;
    }
    for (void* item : curves) {
        auto* curve = AcDbCurve::cast(static_cast<AcRxObject*>(item));
        platform::cad::CurvePath path;
        if (!curve->buildPath(path) || !curve->isClosed())
            continue;
        auto* region = new AcDbRegion;
        region->loops_.push_back(path);
        region->setPropertiesFrom(curve);
        regions.append(region);
    }
    return regions.isEmpty() ? Acad::eInvalidInput : Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::getArea(double& area) const
{
    area = 0;
    for (const auto& loop : loops_)
        area += loop.SignedArea();
    area = std::abs(area);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::getPerimeter(double& perimeter) const
{
    perimeter = 0;
    for (const auto& loop : loops_)
        perimeter += loop.Length();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::getGeomExtents(AcDbExtents& extents) const
{
    extents = AcDbExtents();
    for (const auto& loop : loops_)
        extents.addExt(loop.Extents());
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

void AcDbRegion::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    filer->writeSubclass("AcDbModelerGeometry");
    filer->writeInt(70, 1);
    for (const auto& tag : body_)
        filer->writeTag(tag);
}

Acad::ErrorStatus AcDbRegion::dxfInFields(const AcDbDxfFiler* filer)
{
    platform::cad::DxfTagList body;
    for (const auto& tag : filer->tags())
        if (tag.code == 1 || tag.code == 3)
            body.push_back(tag);
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (!body.empty())
        body_ = std::move(body);
    return Acad::eOk;
}
