#include "geometry/arc_pair_intersection.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "geometry/bulge_arc.h"
#include "geometry/line_primitives.h"

namespace geometry {
namespace {

constexpr double kEps = 1e-6;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

bool Coincide(const Point2d& a, const Point2d& b) {
    return std::fabs(a.x - b.x) < kEps && std::fabs(a.y - b.y) < kEps;
}

Point2d PointAt(const ArcRecord& arc, double angle) {
    return PolarPoint(arc.centre.x, arc.centre.y, angle, arc.radius);
}

void AppendOnce(PointList& points, std::size_t from, const Point2d& p) {
    for (std::size_t i = from; i < points.size(); ++i)
        if (Coincide(points[i], p)) return;
    points.push_back(p);
}

}  // namespace

ArcRecord ArcFromBulgeSegment(const Point2d& p1, const Point2d& p2, double bulge) {
    ArcRecord arc;
    ArcCentreFromBulge(p1, p2, bulge, arc.centre, arc.radius);
    arc.startAngle = SegmentAngle(arc.centre.x, arc.centre.y, p1.x, p1.y);
    arc.endAngle = SegmentAngle(arc.centre.x, arc.centre.y, p2.x, p2.y);
    if (bulge < 0.0) std::swap(arc.startAngle, arc.endAngle);
    return arc;
}

bool AngleOnArc(const ArcRecord& arc, const Point2d& p, bool includeStart, bool includeEnd) {
    double theta = SegmentAngle(arc.centre.x, arc.centre.y, p.x, p.y);
    double start = arc.startAngle;
    if (start > arc.endAngle) {
        if (theta > arc.endAngle + kEps) theta -= kTwoPi;
        start -= kTwoPi;
    }
    const double ks = includeStart ? 1.0 : -1.0;
    const double ke = includeEnd ? 1.0 : -1.0;
    return theta >= start - ks * kEps && theta <= arc.endAngle + ke * kEps;
}

void IntersectCircles(const Point2d& c1, double r1, const Point2d& c2, double r2, Point2d& p, Point2d& q) {
    const double dx = c2.x - c1.x;
    const double dy = c2.y - c1.y;
    const double m = dx * dx + dy * dy;
    const double u = (m + r1 * r1 - r2 * r2) / 2.0;
    // Touching circles may leave a root argument just below 0 through rounding.
    auto root = [](double v) { return v > 0.0 ? std::sqrt(v) : 0.0; };
    if (dx == 0.0) {
        const double y = u / dy;
        const double x = root(r1 * r1 - y * y);
        p = {c1.x + x, c1.y + y};
        q = {c1.x - x, c1.y + y};
    } else if (dy == 0.0) {
        const double x = u / dx;
        const double y = root(r1 * r1 - x * x);
        p = {c1.x + x, c1.y + y};
        q = {c1.x + x, c1.y - y};
    } else {
        const double along = u / m;
        const double h = root(r1 * r1 - u * u / m) / std::sqrt(m);
        p = {c1.x + along * dx - h * dy, c1.y + along * dy + h * dx};
        q = {c1.x + along * dx + h * dy, c1.y + along * dy - h * dx};
    }
}

int IntersectArcPair(const ArcRecord& arc1, const ArcRecord& arc2, PointList& points, bool includeStart1,
                     bool includeEnd1, bool includeStart2, bool includeEnd2) {
    const std::size_t before = points.size();
    if (Coincide(arc1.centre, arc2.centre)) {
        // No crossing at the centre: concentric circles of different radii never meet, and arcs of
        // one circle meet where an end of one lies on the other.
        if (std::fabs(arc1.radius - arc2.radius) >= kEps) return 0;
        const Point2d ends2[] = {PointAt(arc2, arc2.startAngle), PointAt(arc2, arc2.endAngle)};
        if (includeStart2 && AngleOnArc(arc1, ends2[0], includeStart1, includeEnd1)) AppendOnce(points, before, ends2[0]);
        if (includeEnd2 && AngleOnArc(arc1, ends2[1], includeStart1, includeEnd1)) AppendOnce(points, before, ends2[1]);
        const Point2d ends1[] = {PointAt(arc1, arc1.startAngle), PointAt(arc1, arc1.endAngle)};
        if (includeStart1 && AngleOnArc(arc2, ends1[0], includeStart2, includeEnd2)) AppendOnce(points, before, ends1[0]);
        if (includeEnd1 && AngleOnArc(arc2, ends1[1], includeStart2, includeEnd2)) AppendOnce(points, before, ends1[1]);
        return static_cast<int>(points.size() - before);
    }
    const double d = std::hypot(arc2.centre.x - arc1.centre.x, arc2.centre.y - arc1.centre.y);
    if (d > arc1.radius + arc2.radius || d < std::fabs(arc1.radius - arc2.radius)) return 0;
    Point2d candidates[2];
    IntersectCircles(arc1.centre, arc1.radius, arc2.centre, arc2.radius, candidates[0], candidates[1]);
    for (const Point2d& p : candidates)
        if (AngleOnArc(arc1, p, includeStart1, includeEnd1) && AngleOnArc(arc2, p, includeStart2, includeEnd2))
            points.push_back(p);
    return static_cast<int>(points.size() - before);
}

}  // namespace geometry
