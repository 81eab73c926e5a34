#include "platform/cad/db_arc.h"

#include <cmath>
#include <numbers>

#include "modify_guard.h"
#include "platform/cad/curve_path.h"

DERO_RX_DEFINE_MEMBERS(AcDbArc, "ARC", AcDbCurve)

namespace {
constexpr double kTwoPi = 2 * std::numbers::pi;
double Normalize(double a)
{
    a = std::fmod(a, kTwoPi);
    return a < 0 ? a + kTwoPi : a;
}
}  // namespace

AcDbArc::AcDbArc(const AcGePoint3d& center, double radius, double startAngle, double endAngle)
    : center_(center), radius_(radius), start_(Normalize(startAngle)), end_(Normalize(endAngle))
{
}

AcDbArc::AcDbArc(const AcGePoint3d& center, const AcGeVector3d& normal, double radius, double startAngle,
                 double endAngle)
    : center_(center), normal_(normal.normal()), radius_(radius), start_(Normalize(startAngle)), end_(Normalize(endAngle))
{
}

Acad::ErrorStatus AcDbArc::setCenter(const AcGePoint3d& center) { DERO_MODIFY(center_ = center); }
Acad::ErrorStatus AcDbArc::setStartAngle(double angle) { DERO_MODIFY(start_ = Normalize(angle)); }
Acad::ErrorStatus AcDbArc::setEndAngle(double angle) { DERO_MODIFY(end_ = Normalize(angle)); }
Acad::ErrorStatus AcDbArc::setThickness(double thickness) { DERO_MODIFY(thickness_ = thickness); }

Acad::ErrorStatus AcDbArc::setRadius(double radius)
{
    if (!(radius > 0) || !std::isfinite(radius))
        return Acad::eInvalidInput;
    DERO_MODIFY(radius_ = radius);
}

Acad::ErrorStatus AcDbArc::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

bool AcDbArc::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    if (!(radius_ > 0))
        return false;
    // The parameter runs from the start angle to the end angle, past 2 pi when the arc crosses 0.
    double sweep = Normalize(end_ - start_);
    if (sweep == 0)
        sweep = kTwoPi;
    path.AddArc(center_.convert2d(), radius_, start_, sweep, center_.z, start_, start_ + sweep);
    path.FromEcs(normal_);
    return true;
}

AcDbCurve* AcDbArc::curveFromPath(const platform::cad::CurvePath& piece) const
{
    if (piece.segments.empty() || !piece.segments.front().arc)
        return nullptr;
    const auto& first = piece.segments.front();
    double sweep = 0;
    for (const auto& s : piece.segments)
        sweep += s.sweep;
    // Pieces are in world coordinates; an arc runs counter-clockwise from its start angle.
    double start = sweep > 0 ? first.startAngle : first.startAngle + sweep;
    return new AcDbArc(AcGePoint3d(first.center.x, first.center.y, first.start.z), AcGeVector3d::kZAxis, first.radius,
                       start, start + std::abs(sweep));
}

void AcDbArc::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDbCircle");
    if (thickness_ != 0)
        filer->writeReal(39, thickness_);
    filer->writePoint(10, center_);
    filer->writeReal(40, radius_);
    filer->writeVector(210, normal_);
    filer->writeSubclass("AcDbArc");
    filer->writeAngle(50, start_);
    filer->writeAngle(51, end_);
}

Acad::ErrorStatus AcDbArc::dxfInFields(const AcDbDxfFiler* filer)
{
    const auto* radius = filer->find(40);
    if (radius != nullptr && !(radius->real > 0))
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
    if (const auto* t = filer->find(210); t != nullptr && !AcGeVector3d(t->point.x, t->point.y, t->point.z).isZeroLength())
        normal_ = AcGeVector3d(t->point.x, t->point.y, t->point.z).normal();
    if (const auto* t = filer->find(50))
        start_ = Normalize(filer->angleOf(*t));
    if (const auto* t = filer->find(51))
        end_ = Normalize(filer->angleOf(*t));
    return Acad::eOk;
}
