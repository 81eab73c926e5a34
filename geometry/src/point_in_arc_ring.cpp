#include "geometry/point_in_arc_ring.h"

#include <algorithm>
#include <cmath>

#include "ray_crossings.h"

namespace geometry {
namespace {

constexpr double kArcTolerance = 0.001;
constexpr double kLevel = 1e-6;

}  // namespace

bool PointOnSegment(const Point2d& p, const Point2d& a, const Point2d& b) {
    if (p.x < std::min(a.x, b.x) || p.x > std::max(a.x, b.x)) return false;
    if (p.y < std::min(a.y, b.y) || p.y > std::max(a.y, b.y)) return false;
    // The distance from the line, not a difference of slopes: slopes would widen "on" with the
    // side's length (centimetres on a long parcel side) and shrink it to nothing near vertical.
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    return std::fabs(cross) <= length * kLevel;
}

int PointInArcRing(const PointList& points, const DoubleList& bulges, const Point2d& p) {
    const std::size_t n = points.size();
    if (bulges.size() != n) return -3;
    if (n < 3) return -2;
    bool flip = false;
    for (std::size_t k = 0; k < n; ++k) {
        // The closing side first, then the sides in order.
        const std::size_t i = k == 0 ? n - 1 : k - 1;
        const Point2d& s = points[i];
        const Point2d& e = points[(i + 1) % n];
        if (!(std::fabs(bulges[i]) >= kArcTolerance)) {
            if (PointOnSegment(p, e, s)) return 0;
            if (detail::StraightRayCrossing(p, s, e)) flip = !flip;
        } else if (detail::ArcRaySide(p, s, e, bulges[i], flip) == 0) {
            return 0;
        }
    }
    return flip ? 1 : -1;
}

}  // namespace geometry
