#include "platform/cad/db_point.h"

#include "modify_guard.h"

DERO_RX_DEFINE_MEMBERS(AcDbPoint, "POINT", AcDbEntity)

Acad::ErrorStatus AcDbPoint::setPosition(const AcGePoint3d& position) { DERO_MODIFY(position_ = position); }
Acad::ErrorStatus AcDbPoint::setThickness(double thickness) { DERO_MODIFY(thickness_ = thickness); }

Acad::ErrorStatus AcDbPoint::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

Acad::ErrorStatus AcDbPoint::getGeomExtents(AcDbExtents& extents) const
{
    extents.set(position_, position_);
    return Acad::eOk;
}

void AcDbPoint::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    filer->writeSubclass("AcDbPoint");
    filer->writePoint(10, position_);
    if (thickness_ != 0)
        filer->writeReal(39, thickness_);
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDbPoint::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(10))
        position_ = t->point;
    if (const auto* t = filer->find(39))
        thickness_ = t->real;
    if (const auto* t = filer->find(210); t != nullptr && !AcGeVector3d(t->point.x, t->point.y, t->point.z).isZeroLength())
        normal_ = AcGeVector3d(t->point.x, t->point.y, t->point.z).normal();
    return Acad::eOk;
}
