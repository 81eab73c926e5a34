#include "platform/cad/db_spline.h"

#include <cmath>

#include "modify_guard.h"
#include "platform/cad/curve_path.h"

DERO_RX_DEFINE_MEMBERS(AcDbSpline, "SPLINE", AcDbCurve)

namespace {
constexpr int kStepsPerSpan = 16;
}

AcDbSpline::AcDbSpline(int degree, bool /*rational*/, bool closed, bool periodic, const AcGePoint3dArray& controlPoints,
                       const AcGeDoubleArray& knots, const AcGeDoubleArray& weights)
    : degree_(degree), closed_(closed), periodic_(periodic), controlPoints_(controlPoints), knots_(knots),
      weights_(weights)
{
    int n = controlPoints_.length();
    if (knots_.isEmpty() && n > degree_ && degree_ >= 1) {
        for (int i = 0; i <= degree_; ++i)
            knots_.append(0);
        for (int i = 1; i < n - degree_; ++i)
            knots_.append(i);
        for (int i = 0; i <= degree_; ++i)
            knots_.append(n - degree_);
    }
}

bool AcDbSpline::valid() const
{
    int n = controlPoints_.length();
    return degree_ >= 1 && n > degree_ && knots_.length() == n + degree_ + 1 &&
           (weights_.isEmpty() || weights_.length() == n);
}

Acad::ErrorStatus AcDbSpline::getControlPointAt(int index, AcGePoint3d& point) const
{
    if (index < 0 || index >= controlPoints_.length())
        return Acad::eInvalidIndex;
    point = controlPoints_[index];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::setControlPointAt(int index, const AcGePoint3d& point)
{
    if (index < 0 || index >= controlPoints_.length())
        return Acad::eInvalidIndex;
    DERO_MODIFY(controlPoints_[index] = point);
}

Acad::ErrorStatus AcDbSpline::getFitPointAt(int index, AcGePoint3d& point) const
{
    if (index < 0 || index >= fitPoints_.length())
        return Acad::eInvalidIndex;
    point = fitPoints_[index];
    return Acad::eOk;
}

Acad::ErrorStatus AcDbSpline::getNurbsData(int& degree, bool& rational, bool& closed, bool& periodic,
                                           AcGePoint3dArray& controlPoints, AcGeDoubleArray& knots,
                                           AcGeDoubleArray& weights) const
{
    degree = degree_;
    rational = isRational();
    closed = closed_;
    periodic = periodic_;
    controlPoints = controlPoints_;
    knots = knots_;
    weights = weights_;
    return Acad::eOk;
}

AcGePoint3d AcDbSpline::evaluate(double u) const
{
    // de Boor in homogeneous coordinates.
    int n = controlPoints_.length();
    int k = degree_;
    while (k + 1 < n && knots_[k + 1] <= u)
        ++k;
    struct H {
        double x, y, z, w;
    };
    std::vector<H> d;
    for (int j = 0; j <= degree_; ++j) {
        const AcGePoint3d& p = controlPoints_[k - degree_ + j];
        double w = weights_.isEmpty() ? 1.0 : weights_[k - degree_ + j];
        d.push_back({p.x * w, p.y * w, p.z * w, w});
    }
    for (int r = 1; r <= degree_; ++r)
        for (int j = degree_; j >= r; --j) {
            int i = k - degree_ + j;
            double den = knots_[i + degree_ - r + 1] - knots_[i];
            double a = den == 0 ? 0 : (u - knots_[i]) / den;
            H& cur = d[static_cast<std::size_t>(j)];
            const H& prev = d[static_cast<std::size_t>(j - 1)];
            cur = {(1 - a) * prev.x + a * cur.x, (1 - a) * prev.y + a * cur.y, (1 - a) * prev.z + a * cur.z,
                   (1 - a) * prev.w + a * cur.w};
        }
    const H& h = d[static_cast<std::size_t>(degree_)];
    return h.w != 0 ? AcGePoint3d(h.x / h.w, h.y / h.w, h.z / h.w) : AcGePoint3d(h.x, h.y, h.z);
}

Acad::ErrorStatus AcDbSpline::getPointAtParam(double param, AcGePoint3d& point) const
{
    if (!valid())
        return Acad::eDegenerateGeometry;
    double u0 = knots_[degree_], u1 = knots_[controlPoints_.length()];
    if (param < u0 - 1e-12 || param > u1 + 1e-12)
        return Acad::eInvalidInput;
    // The last span is closed at its end: evaluate just inside it.
    point = param >= u1 ? evaluate(u1 - 1e-12 * std::max(1.0, std::abs(u1))) : evaluate(param);
    return Acad::eOk;
}

bool AcDbSpline::buildPath(platform::cad::CurvePath& path) const
{
    path = platform::cad::CurvePath();
    if (!valid())
        return false;
    double u0 = knots_[degree_], u1 = knots_[controlPoints_.length()];
    int spans = std::max(1, controlPoints_.length() - degree_);
    int steps = spans * kStepsPerSpan;
    AcGePoint3d prev;
    getPointAtParam(u0, prev);
    for (int i = 1; i <= steps; ++i) {
        double p0 = u0 + (u1 - u0) * (i - 1) / steps, p1 = i == steps ? u1 : u0 + (u1 - u0) * i / steps;
        AcGePoint3d next;
        getPointAtParam(p1, next);
        path.AddLine(prev, next, p0, p1);
        prev = next;
    }
    path.closed = closed_;
    return true;
}

void AcDbSpline::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbCurve::dxfOutFields(filer);
    filer->writeSubclass("AcDbSpline");
    filer->writeVector(210, normal_);
    int flags = (closed_ ? 1 : 0) | (periodic_ ? 2 : 0) | (isRational() ? 4 : 0) | 8;
    filer->writeInt(70, flags);
    filer->writeInt(71, degree_);
    filer->writeInt(72, knots_.length());
    filer->writeInt(73, controlPoints_.length());
    filer->writeInt(74, fitPoints_.length());
    for (double k : knots_)
        filer->writeReal(40, k);
    for (int i = 0; i < controlPoints_.length(); ++i) {
        filer->writePoint(10, controlPoints_[i]);
        // Weights made short through the constructor are written as 1, as the reader takes them.
        if (isRational())
            filer->writeReal(41, i < weights_.length() ? weights_[i] : 1.0);
    }
    for (const auto& p : fitPoints_)
        filer->writePoint(11, p);
}

Acad::ErrorStatus AcDbSpline::dxfInFields(const AcDbDxfFiler* filer)
{
    AcGePoint3dArray control, fit;
    AcGeDoubleArray knots, weights;
    for (const auto& tag : filer->tags()) {
        if (tag.code == 10)
            control.append(tag.point);
        else if (tag.code == 11)
            fit.append(tag.point);
        else if (tag.code == 40)
            knots.append(tag.real);
        else if (tag.code == 41)
            weights.append(tag.real);
    }
    Acad::ErrorStatus es = AcDbCurve::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(71))
        degree_ = static_cast<int>(t->integer);
    if (const auto* t = filer->find(70)) {
        closed_ = (t->integer & 1) != 0;
        periodic_ = (t->integer & 2) != 0;
    }
    if (!control.isEmpty()) {
        controlPoints_ = control;
        knots_ = knots;
        weights_ = weights;
    }
    if (!fit.isEmpty())
        fitPoints_ = fit;
    return Acad::eOk;
}
