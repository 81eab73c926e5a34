#include "platform/cad/db_circle.h"

#include <cmath>
#include <numbers>

#include "modify_guard.h"
#include "platform/cad/curve_path.h"
#include "platform/cad/db_arc.h"

DERO_RX_DEFINE_MEMBERS(AcDbCircle, "CIRCLE", AcDbCurve)

Acad::ErrorStatus AcDbCircle::setCenter(const AcGePoint3d& center) { DERO_MODIFY(center_ = center); }
Acad::ErrorStatus AcDbCircle::setThickness(double thickness) { DERO_MODIFY(thickness_ = thickness); }

Acad::ErrorStatus AcDbCircle::setRadius(double radius)
{
    if (!(radius > 0) || !std::isfinite(radius))
        return Acad::eInvalidInput;
    DERO_MODIFY(radius_ = radius);
}

Acad::ErrorStatus AcDbCircle::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

double AcDbCircle::circumference() const { return 2 * std::numbers::pi * radius_; }

bool AcDbCircle::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    if (!(radius_ > 0))
        return false;
    path.AddArc(center_.convert2d(), radius_, 0, 2 * std::numbers::pi, center_.z, 0, 2 * std::numbers::pi);
    path.closed = true;
    path.FromEcs(normal_);
    return true;
}

AcDbCurve* AcDbCircle::curveFromPath(const platform::cad::CurvePath& piece) const
{
    // Pieces of a circle are arcs; a whole turn (an offset) is a circle again.
    if (piece.segments.empty() || !piece.segments.front().arc)
        return nullptr;
    const auto& first = piece.segments.front();
    double sweep = 0;
    for (const auto& s : piece.segments)
        sweep += s.sweep;
    // Pieces are in world coordinates; an arc runs counter-clockwise from its start angle.
    AcGePoint3d center(first.center.x, first.center.y, first.start.z);
    if (std::abs(std::abs(sweep) - 2 * std::numbers::pi) < 1e-12)
        return new AcDbCircle(center, AcGeVector3d::kZAxis, first.radius);
    double start = sweep > 0 ? first.startAngle : first.startAngle + sweep;
    return new AcDbArc(center, AcGeVector3d::kZAxis, first.radius, start, start + std::abs(sweep));
}

void AcDbCircle::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDbCircle");
    if (thickness_ != 0)
        filer->writeReal(39, thickness_);
    filer->writePoint(10, center_);
    filer->writeReal(40, radius_);
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDbCircle::dxfInFields(const AcDbDxfFiler* filer)
{
    const auto* radius = filer->find(40);
    if (radius != nullptr && !(radius->real > 0))
        return Acad::eInvalidInput;
    const auto* normal = filer->find(210);
    if (normal != nullptr && AcGeVector3d(normal->point.x, normal->point.y, normal->point.z).isZeroLength())
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(10))
        center_ = t->point;
    if (radius != nullptr)
        radius_ = radius->real;
    if (const auto* t = filer->find(39))
        thickness_ = t->real;
    if (normal != nullptr)
        normal_ = AcGeVector3d(normal->point.x, normal->point.y, normal->point.z).normal();
    return Acad::eOk;
}
