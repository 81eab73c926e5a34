#pragma once
// Small planar routines on lines and segments that the intersection routines build on.
#include <cmath>

#include "geometry/point2d.h"

namespace geometry {

// a c + b d.
inline double Dot2(double a, double b, double c, double d) { return a * c + b * d; }

// The line a x + b y + c = 0 through two points, normalised so that a is not negative.
struct LineCoeffs {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
};
LineCoeffs LineCoefficients(double x1, double y1, double x2, double y2);

// ((p - a) . (b - a)) / |b - a|^2: 0 at a, 1 at b. Undefined for a zero-length segment; callers
// skip those first.
inline double ProjectionParameter(const Point2d& p, const Point2d& a, const Point2d& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return Dot2(p.x - a.x, p.y - a.y, dx, dy) / Dot2(dx, dy, dx, dy);
}

// The foot of p on the infinite line through s and e: s + t (e - s), t its projection parameter.
inline Point2d ProjectPointOnLine(const Point2d& p, const Point2d& s, const Point2d& e) {
    const double t = ProjectionParameter(p, s, e);
    return {s.x + t * (e.x - s.x), s.y + t * (e.y - s.y)};
}

// The point at the distance from (x, y) in the direction of the angle (radians).
inline Point2d PolarPoint(double x, double y, double angle, double distance) {
    return {x + distance * std::cos(angle), y + distance * std::sin(angle)};
}

}  // namespace geometry

namespace geometry {

// Direction from (x1, y1) to (x2, y2) in [0, 2 pi); 0 for the same point. Nearly vertical and
// nearly horizontal directions (within 1e-6) snap to the axis.
double SegmentAngle(double x1, double y1, double x2, double y2);

}  // namespace geometry
