#include "geometry/point_segment_tests.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/line_primitives.h"

namespace geometry {

bool PointsCoincide(double x1, double y1, double x2, double y2) {
    return std::fabs(x1 - x2) < 1e-6 && std::fabs(y1 - y2) < 1e-6;
}

bool PointsWithin(const Point2d& p, const Point2d& q, double tolerance) {
    return std::fabs(p.x - q.x) < tolerance && std::fabs(p.y - q.y) < tolerance;
}

double CrossProduct3(const Point2d& p, const Point2d& q, const Point2d& r) {
    return (p.x - r.x) * (q.y - r.y) - (p.y - r.y) * (q.x - r.x);
}

double DotProduct3(const Point2d& p, const Point2d& q, const Point2d& r) {
    return (p.x - r.x) * (q.x - r.x) + (p.y - r.y) * (q.y - r.y);
}

double DistanceToLine(const Point2d& p, const Point2d& s, const Point2d& e) {
    return std::fabs(CrossProduct3(p, e, s)) / std::sqrt(SquaredDistance(s, e));
}

double AngleBetweenRays(const Point2d& p, const Point2d& q, const Point2d& r) {
    const double k = DotProduct3(q, r, p) / std::sqrt(SquaredDistance(q, p) * SquaredDistance(r, p));
    if (k >= 1.0) return 0.0;
    if (k <= -1.0) return std::numbers::pi;
    double angle = std::acos(k);
    if (CrossProduct3(q, r, p) < 0.0) angle = -angle;
    return angle < 0.0 ? angle + 2.0 * std::numbers::pi : angle;
}

bool PointWithinSegment(const Point2d& p, const Point2d& s, const Point2d& e, double& t) {
    const double cross = CrossProduct3(e, p, s);
    t = ProjectionParameter(p, s, e);
    return cross * cross <= SquaredDistance(s, e) * 1e-6 && t > -1e-6 && t < 1.000001;
}

double NearestPointOnSegment(const Point2d& p, const Point2d& s, const Point2d& e, Point2d& nearest) {
    const double t = ProjectionParameter(p, s, e);
    nearest = t < 0.0 ? s : t > 1.0 ? e : ProjectPointOnLine(p, s, e);
    return std::sqrt(SquaredDistance(p, nearest));
}

bool PointNearSegment(const Point2d& p, const Point2d& s, const Point2d& e) {
    if (p.x < std::min(s.x, e.x) || p.x > std::max(s.x, e.x)) return false;
    if (p.y < std::min(s.y, e.y) || p.y > std::max(s.y, e.y)) return false;
    if (std::fabs(s.x - e.x) < 1e-6 || std::fabs(s.y - e.y) < 1e-6) return true;
    return DistanceToLine(p, s, e) < 0.001;
}

bool RemoveDuplicateVertices(PointList& points, DoubleList& bulges) {
    if (points.size() != bulges.size()) return false;
    for (std::size_t i = 0; i + 1 < points.size();) {
        if (PointsWithin(points[i], points[i + 1], 1e-6)) {
            points.erase(points.begin() + static_cast<std::ptrdiff_t>(i));
            bulges.erase(bulges.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    if (points.size() == 1 || (points.size() > 1 && PointsWithin(points.back(), points.front(), 1e-6))) {
        points.pop_back();
        bulges.pop_back();
    }
    return true;
}

}  // namespace geometry
