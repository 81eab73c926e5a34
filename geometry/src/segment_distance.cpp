#include "geometry/segment_distance.h"

#include <cmath>

#include "geometry/line_primitives.h"

namespace geometry {

Point2d ClosestPointOnSegment(const Point2d& p, const Point2d& a, const Point2d& b) {
    const double t = ProjectionParameter(p, a, b);
    if (t < 0.0) return a;
    if (t > 1.0) return b;
    return ProjectPointOnLine(p, a, b);
}

double SegmentDistanceSquared(const Point2d& p, const Point2d& a, const Point2d& b) {
    const double t = ProjectionParameter(p, a, b);
    if (t < 0.0) return SquaredDistance(p, a);
    if (t > 1.0) return SquaredDistance(p, b);
    const double length2 = SquaredDistance(a, b);
    const double along = Dot2(p.x - a.x, p.y - a.y, b.x - a.x, b.y - a.y);
    // Squared distance to a less the squared projection length; rounding may leave it just below 0.
    const double d = SquaredDistance(p, a) - along * along / length2;
    return d < 0.0 ? 0.0 : d;
}

bool IsPointOnSegment(const Point2d& p, const Point2d& a, const Point2d& b) {
    const double d = Dot2(p.x - a.x, p.y - a.y, b.x - a.x, b.y - a.y);
    const double length2 = SquaredDistance(a, b);
    if (d < -1e-12 || d > length2 + std::sqrt(length2) * 2e-14 + 1e-12) return false;
    if (length2 < 1e-24) return SquaredDistance(p, a) < 1e-12;
    const double cross = (p.x - a.x) * (b.y - a.y) - (p.y - a.y) * (b.x - a.x);
    return cross * cross / length2 < 1e-12;
}

double NearestPointOnPolyline(const PointList& points, const Point2d& p, Point2d& foot, std::size_t& segment,
                              double& parameter) {
    if (points.size() < 2) return 0.0;
    double best = -1.0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const Point2d& a = points[i];
        const Point2d& b = points[i + 1];
        const double d = SegmentDistanceSquared(p, a, b);
        if (best >= 0.0 && !(d < best)) continue;
        best = d;
        foot = ClosestPointOnSegment(p, a, b);
        segment = i;
        parameter = ProjectionParameter(p, a, b);
    }
    return best;
}

}  // namespace geometry
