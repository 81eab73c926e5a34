#include "platform/cad/db_line.h"

#include "modify_guard.h"
#include "platform/cad/curve_path.h"

DERO_RX_DEFINE_MEMBERS(AcDbLine, "LINE", AcDbCurve)

Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& point) { DERO_MODIFY(start_ = point); }
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& point) { DERO_MODIFY(end_ = point); }
Acad::ErrorStatus AcDbLine::setThickness(double thickness) { DERO_MODIFY(thickness_ = thickness); }

Acad::ErrorStatus AcDbLine::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

bool AcDbLine::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    path.AddLine(start_, end_, 0, start_.distanceTo(end_));
    return true;
}

AcDbCurve* AcDbLine::curveFromPath(const platform::cad::CurvePath& piece) const
{
    if (piece.segments.empty())
        return nullptr;
    return new AcDbLine(piece.segments.front().start, piece.segments.back().end);
}

void AcDbLine::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDbLine");
    if (thickness_ != 0)
        filer->writeReal(39, thickness_);
    filer->writePoint(10, start_);
    filer->writePoint(11, end_);
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDbLine::dxfInFields(const AcDbDxfFiler* filer)
{
    const auto* normal = filer->find(210);
    if (normal != nullptr && AcGeVector3d(normal->point.x, normal->point.y, normal->point.z).isZeroLength())
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(10))
        start_ = t->point;
    if (const auto* t = filer->find(11))
        end_ = t->point;
    if (const auto* t = filer->find(39))
        thickness_ = t->real;
    if (normal != nullptr)
        normal_ = AcGeVector3d(normal->point.x, normal->point.y, normal->point.z).normal();
    return Acad::eOk;
}
