#include "platform/cad/ge_types.h"

#include <algorithm>
#include <numbers>

AcGeTol AcGeContext::gTol;

const AcGeVector2d AcGeVector2d::kXAxis(1, 0);
const AcGeVector2d AcGeVector2d::kYAxis(0, 1);
const AcGePoint2d AcGePoint2d::kOrigin(0, 0);
const AcGeVector3d AcGeVector3d::kXAxis(1, 0, 0);
const AcGeVector3d AcGeVector3d::kYAxis(0, 1, 0);
const AcGeVector3d AcGeVector3d::kZAxis(0, 0, 1);
const AcGeVector3d AcGeVector3d::kIdentity(1, 1, 1);
const AcGePoint3d AcGePoint3d::kOrigin(0, 0, 0);
const AcGePlane AcGePlane::kXYPlane(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1));

AcGeVector2d AcGeVector2d::normal(const AcGeTol& tol) const
{
    double len = length();
    return len <= tol.equalVector() ? AcGeVector2d() : AcGeVector2d(x / len, y / len);
}

AcGeVector2d& AcGeVector2d::normalize(const AcGeTol& tol)
{
    *this = normal(tol);
    return *this;
}

double AcGeVector2d::angle() const
{
    double a = std::atan2(y, x);
    if (a < 0)
        a += 2 * std::numbers::pi;
    return a >= 2 * std::numbers::pi ? 0 : a;
}

double AcGeVector2d::angleTo(const AcGeVector2d& other) const
{
    double cross = x * other.y - y * other.x;
    return std::abs(std::atan2(cross, dotProduct(other)));
}

AcGeVector2d& AcGeVector2d::rotateBy(double a)
{
    double c = std::cos(a), s = std::sin(a);
    *this = AcGeVector2d(x * c - y * s, x * s + y * c);
    return *this;
}

bool AcGeVector2d::isEqualTo(const AcGeVector2d& v, const AcGeTol& tol) const
{
    return (*this - v).length() <= tol.equalVector();
}

AcGeVector3d AcGeVector3d::normal(const AcGeTol& tol) const
{
    double len = length();
    return len <= tol.equalVector() ? AcGeVector3d() : AcGeVector3d(x / len, y / len, z / len);
}

AcGeVector3d& AcGeVector3d::normalize(const AcGeTol& tol)
{
    *this = normal(tol);
    return *this;
}

double AcGeVector3d::angleTo(const AcGeVector3d& v) const
{
    return std::atan2(crossProduct(v).length(), dotProduct(v));
}

bool AcGeVector3d::isEqualTo(const AcGeVector3d& v, const AcGeTol& tol) const
{
    return (*this - v).length() <= tol.equalVector();
}

bool AcGeVector3d::isParallelTo(const AcGeVector3d& v, const AcGeTol& tol) const
{
    double a = length(), b = v.length();
    if (a <= tol.equalVector() || b <= tol.equalVector())
        return false;
    return crossProduct(v).length() / (a * b) <= std::max(tol.equalVector(), 1e-12);
}
