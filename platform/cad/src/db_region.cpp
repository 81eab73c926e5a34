#include "platform/cad/db_region.h"

#include <cmath>

#include "modify_guard.h"
#include "platform/cad/db_curve.h"
#include "region_loops.h"

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
        // A closed curve that encloses no area bounds no region.
        if (!curve->buildPath(path) || !curve->isClosed() || !platform::cad::OrientAsOuterLoop(path))
            continue;
        auto* region = new AcDbRegion;
        region->loops_.push_back(path);
        region->setPropertiesFrom(curve);
        regions.append(region);
    }
    return regions.isEmpty() ? Acad::eInvalidInput : Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::booleanOper(AcDb::BoolOperType operation, AcDbRegion* otherRegion)
{
    using platform::cad::RegionOperation;
    if (otherRegion == nullptr || otherRegion == this)
        return Acad::eInvalidInput;
    RegionOperation op;
    switch (operation) {
        case AcDb::kBoolUnite: op = RegionOperation::kUnite; break;
        case AcDb::kBoolIntersect: op = RegionOperation::kIntersect; break;
        case AcDb::kBoolSubtract: op = RegionOperation::kSubtract; break;
        default: return Acad::eInvalidInput;
    }
    if (!isWriteEnabled() || !otherRegion->isWriteEnabled())
        return Acad::eNotOpenForWrite;
    // A body read from a file is kept as text only; its shape is unknown here, so it cannot be
    // combined without losing it.
    if ((loops_.empty() && !body_.empty()) || (otherRegion->loops_.empty() && !otherRegion->body_.empty()))
        return Acad::eNotImplementedYet;
    std::vector<platform::cad::CurvePath> result;
    if (!platform::cad::CombineRegionLoops(loops_, otherRegion->loops_, op, result))
        return Acad::eInvalidInput;
    if (!beginModify() || !otherRegion->beginModify())
        return Acad::eNotOpenForWrite;
    loops_ = std::move(result);
    body_.clear();
    otherRegion->loops_.clear();
    otherRegion->body_.clear();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbRegion::getArea(double& area) const
{
    // Outer loops run counter-clockwise and holes clockwise, so the signed areas add up.
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
