#include "platform/cad/db_ellipse.h"

#include <cmath>
#include <numbers>

#include "platform/cad/curve_path.h"

DERO_RX_DEFINE_MEMBERS(AcDbEllipse, "ELLIPSE", AcDbCurve)

namespace {
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kStepsPerTurn = 128;  // the path is a fine polygon with the ellipse's parameters
}  // namespace

AcDbEllipse::AcDbEllipse(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& majorAxis,
                         double radiusRatio, double startParam, double endParam)
{
    set(center, normal, majorAxis, radiusRatio, startParam, endParam);
}

Acad::ErrorStatus AcDbEllipse::set(const AcGePoint3d& center, const AcGeVector3d& normal, const AcGeVector3d& majorAxis,
                                   double radiusRatio, double startParam, double endParam)
{
    if (majorAxis.isZeroLength() || normal.isZeroLength() || !(radiusRatio > 0) || radiusRatio > 1 ||
        std::abs(normal.normal().dotProduct(majorAxis.normal())) > 1e-9)
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    center_ = center;
    normal_ = normal.normal();
    major_ = majorAxis;
    ratio_ = radiusRatio;
    start_ = startParam;
    end_ = endParam;
    while (end_ <= start_)
        end_ += kTwoPi;
    return Acad::eOk;
}

AcGeVector3d AcDbEllipse::minorAxis() const { return normal_.crossProduct(major_) * ratio_; }

bool AcDbEllipse::isClosed() const { return std::abs(end_ - start_ - kTwoPi) < 1e-12; }

Acad::ErrorStatus AcDbEllipse::getPointAtParam(double param, AcGePoint3d& point) const
{
    if (param < start_ - 1e-12 || param > end_ + 1e-12)
        return Acad::eInvalidInput;
    point = center_ + major_ * std::cos(param) + minorAxis() * std::sin(param);
    return Acad::eOk;
}

bool AcDbEllipse::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    if (major_.isZeroLength())
        return false;
    int steps = std::max(4, static_cast<int>(std::ceil((end_ - start_) / kTwoPi * kStepsPerTurn)));
    AcGePoint3d prev;
    getPointAtParam(start_, prev);
    for (int i = 1; i <= steps; ++i) {
        double p0 = start_ + (end_ - start_) * (i - 1) / steps;
        double p1 = i == steps ? end_ : start_ + (end_ - start_) * i / steps;
        AcGePoint3d next;
        getPointAtParam(p1, next);
        path.AddLine(prev, next, p0, p1);
        prev = next;
    }
    path.closed = isClosed();
    return true;
}

void AcDbEllipse::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDbEllipse");
    filer->writePoint(10, center_);
    filer->writeVector(11, major_);
    filer->writeVector(210, normal_);
    filer->writeReal(40, ratio_);
    filer->writeReal(41, start_);
    filer->writeReal(42, end_);
}

Acad::ErrorStatus AcDbEllipse::dxfInFields(const AcDbDxfFiler* filer)
{
    AcGePoint3d center = center_;
    AcGeVector3d major = major_, normal = normal_;
    double ratio = ratio_, start = start_, end = end_;
    if (const auto* t = filer->find(10))
        center = t->point;
    if (const auto* t = filer->find(11))
        major = AcGeVector3d(t->point.x, t->point.y, t->point.z);
    if (const auto* t = filer->find(210))
        normal = AcGeVector3d(t->point.x, t->point.y, t->point.z);
    if (const auto* t = filer->find(40))
        ratio = t->real;
    if (const auto* t = filer->find(41))
        start = t->real;
    if (const auto* t = filer->find(42))
        end = t->real;
    if (major.isZeroLength() || normal.isZeroLength() || !(ratio > 0) || ratio > 1)
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    return set(center, normal, major, ratio, start, end);
}
