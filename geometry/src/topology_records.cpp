#include "geometry/topology_records.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace geometry {

int ComparePoints(const Point2d& a, const Point2d& b) {
    const bool xFar = !(std::fabs(a.x - b.x) < kPointTolerance);
    const bool yFar = !(std::fabs(a.y - b.y) < kPointTolerance);
    if (!xFar && !yFar) return 0;
    if (xFar) return a.x < b.x ? -1 : 1;
    return a.y < b.y ? -1 : 1;
}

int CompareSegments(TopoSegment a, TopoSegment b) {
    for (TopoSegment* piece : {&a, &b}) {
        if (ComparePoints(piece->start, piece->end) == 1) {
            std::swap(piece->start, piece->end);
            piece->bulge = -piece->bulge;
        }
    }
    if (const int r = ComparePoints(a.start, b.start); r != 0) return r;
    if (const int r = ComparePoints(a.end, b.end); r != 0) return r;
    if (std::fabs(a.bulge - b.bulge) < kBulgeTolerance) return 0;
    return a.bulge < b.bulge ? -1 : 1;
}

double VectorAngle(double x, double y) {
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    double angle = std::atan2(y, x);
    if (angle < 0.0) angle += kTwoPi;
    return angle >= kTwoPi ? 0.0 : angle;
}

}  // namespace geometry
