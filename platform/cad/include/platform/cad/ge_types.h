// The host geometry library's value types: points, vectors, tolerances, planes and scales.
#pragma once

#include <cmath>

class AcGeVector2d;
class AcGeVector3d;

// Tolerances for point and vector comparisons. The host's default (gTol) is absolute; routines of
// this stand-in widen it with the size of the coordinates (see platform/cad/tolerance.h).
class AcGeTol {
public:
    AcGeTol() = default;
    double equalPoint() const { return equalPoint_; }
    double equalVector() const { return equalVector_; }
    void setEqualPoint(double value) { equalPoint_ = value; }
    void setEqualVector(double value) { equalVector_ = value; }

private:
    double equalPoint_ = 1e-10;
    double equalVector_ = 1e-12;
};

struct AcGeContext {
    static AcGeTol gTol;
};

class AcGeVector2d {
public:
    AcGeVector2d() = default;
    AcGeVector2d(double xv, double yv) : x(xv), y(yv) {}
    static const AcGeVector2d kXAxis;
    static const AcGeVector2d kYAxis;

    double length() const { return std::hypot(x, y); }
    bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const { return length() <= tol.equalVector(); }
    AcGeVector2d normal(const AcGeTol& tol = AcGeContext::gTol) const;
    AcGeVector2d& normalize(const AcGeTol& tol = AcGeContext::gTol);
    // Direction angle from the x axis, in [0, 2 pi).
    double angle() const;
    double angleTo(const AcGeVector2d& other) const;
    double dotProduct(const AcGeVector2d& v) const { return x * v.x + y * v.y; }
    AcGeVector2d& rotateBy(double angle);
    AcGeVector2d perpVector() const { return {-y, x}; }
    bool isEqualTo(const AcGeVector2d& v, const AcGeTol& tol = AcGeContext::gTol) const;

    AcGeVector2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    AcGeVector2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    AcGeVector2d operator-() const { return {-x, -y}; }
    AcGeVector2d operator*(double s) const { return {x * s, y * s}; }
    AcGeVector2d operator/(double s) const { return {x / s, y / s}; }
    bool operator==(const AcGeVector2d& v) const { return isEqualTo(v); }

    double x = 0;
    double y = 0;
};

class AcGePoint2d {
public:
    AcGePoint2d() = default;
    AcGePoint2d(double xv, double yv) : x(xv), y(yv) {}
    static const AcGePoint2d kOrigin;

    double distanceTo(const AcGePoint2d& p) const { return std::hypot(x - p.x, y - p.y); }
    bool isEqualTo(const AcGePoint2d& p, const AcGeTol& tol = AcGeContext::gTol) const
    {
        return distanceTo(p) <= tol.equalPoint();
    }
    AcGePoint2d& set(double xv, double yv)
    {
        x = xv;
        y = yv;
        return *this;
    }
    AcGePoint2d operator+(const AcGeVector2d& v) const { return {x + v.x, y + v.y}; }
    AcGePoint2d operator-(const AcGeVector2d& v) const { return {x - v.x, y - v.y}; }
    AcGeVector2d operator-(const AcGePoint2d& p) const { return {x - p.x, y - p.y}; }
    AcGePoint2d& operator+=(const AcGeVector2d& v)
    {
        x += v.x;
        y += v.y;
        return *this;
    }
    bool operator==(const AcGePoint2d& p) const { return isEqualTo(p); }
    bool operator!=(const AcGePoint2d& p) const { return !isEqualTo(p); }
    double& operator[](int i) { return i == 0 ? x : y; }
    double operator[](int i) const { return i == 0 ? x : y; }

    double x = 0;
    double y = 0;
};

class AcGeVector3d {
public:
    AcGeVector3d() = default;
    AcGeVector3d(double xv, double yv, double zv) : x(xv), y(yv), z(zv) {}
    static const AcGeVector3d kXAxis;
    static const AcGeVector3d kYAxis;
    static const AcGeVector3d kZAxis;
    static const AcGeVector3d kIdentity;

    double length() const { return std::sqrt(x * x + y * y + z * z); }
    bool isZeroLength(const AcGeTol& tol = AcGeContext::gTol) const { return length() <= tol.equalVector(); }
    AcGeVector3d normal(const AcGeTol& tol = AcGeContext::gTol) const;
    AcGeVector3d& normalize(const AcGeTol& tol = AcGeContext::gTol);
    double dotProduct(const AcGeVector3d& v) const { return x * v.x + y * v.y + z * v.z; }
    AcGeVector3d crossProduct(const AcGeVector3d& v) const
    {
        return {y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x};
    }
    double angleTo(const AcGeVector3d& v) const;
    bool isEqualTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const;
    bool isParallelTo(const AcGeVector3d& v, const AcGeTol& tol = AcGeContext::gTol) const;
#ifdef DERO_HOST_EXTRAS
    AcGeVector2d convert2d() const { return {x, y}; }
#endif

    AcGeVector3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    AcGeVector3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    AcGeVector3d operator-() const { return {-x, -y, -z}; }
    AcGeVector3d operator*(double s) const { return {x * s, y * s, z * s}; }
    AcGeVector3d operator/(double s) const { return {x / s, y / s, z / s}; }
    bool operator==(const AcGeVector3d& v) const { return isEqualTo(v); }
    bool operator!=(const AcGeVector3d& v) const { return !isEqualTo(v); }

    double x = 0;
    double y = 0;
    double z = 0;
};

class AcGePoint3d {
public:
    AcGePoint3d() = default;
    AcGePoint3d(double xv, double yv, double zv) : x(xv), y(yv), z(zv) {}
    static const AcGePoint3d kOrigin;

    double distanceTo(const AcGePoint3d& p) const
    {
        return std::sqrt((x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) + (z - p.z) * (z - p.z));
    }
    bool isEqualTo(const AcGePoint3d& p, const AcGeTol& tol = AcGeContext::gTol) const
    {
        return distanceTo(p) <= tol.equalPoint();
    }
    AcGePoint3d& set(double xv, double yv, double zv)
    {
        x = xv;
        y = yv;
        z = zv;
        return *this;
    }
#ifdef DERO_HOST_EXTRAS
    AcGePoint2d convert2d() const { return {x, y}; }
#endif
    AcGePoint3d operator+(const AcGeVector3d& v) const { return {x + v.x, y + v.y, z + v.z}; }
    AcGePoint3d operator-(const AcGeVector3d& v) const { return {x - v.x, y - v.y, z - v.z}; }
    AcGeVector3d operator-(const AcGePoint3d& p) const { return {x - p.x, y - p.y, z - p.z}; }
    AcGePoint3d& operator+=(const AcGeVector3d& v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    bool operator==(const AcGePoint3d& p) const { return isEqualTo(p); }
    bool operator!=(const AcGePoint3d& p) const { return !isEqualTo(p); }
    double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }

    double x = 0;
    double y = 0;
    double z = 0;
};

class AcGeScale3d {
public:
    AcGeScale3d() = default;
    explicit AcGeScale3d(double s) : sx(s), sy(s), sz(s) {}
    AcGeScale3d(double x, double y, double z) : sx(x), sy(y), sz(z) {}
    double operator[](int i) const { return i == 0 ? sx : (i == 1 ? sy : sz); }

    double sx = 1;
    double sy = 1;
    double sz = 1;
};

// A plane given by a point and a normal; curve intersections are projected onto it.
class AcGePlane {
public:
    AcGePlane() = default;
    AcGePlane(const AcGePoint3d& origin, const AcGeVector3d& normal) : origin_(origin), normal_(normal.normal()) {}
    static const AcGePlane kXYPlane;
    const AcGePoint3d& pointOnPlane() const { return origin_; }
    const AcGeVector3d& normal() const { return normal_; }

private:
    AcGePoint3d origin_;
    AcGeVector3d normal_{0, 0, 1};
};
