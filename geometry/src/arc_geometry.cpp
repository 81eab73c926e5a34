#include "geometry/arc_geometry.h"

#include <cmath>
#include <numbers>

#include "geometry/arc_pair_intersection.h"
#include "geometry/line_primitives.h"
#include "geometry/point_segment_tests.h"

namespace geometry {
namespace {

constexpr double kEps = 1e-6;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// p's direction from the centre, and the start angle, both brought onto one turn with the end
// angle when the arc passes angle 0.
void UnwrappedAngles(const Point2d& p, const Point2d& centre, double& start, double end, double& theta) {
    theta = SegmentAngle(centre.x, centre.y, p.x, p.y);
    if (start > end) {
        if (theta > end + kEps) theta -= kTwoPi;
        start -= kTwoPi;
    }
}

}  // namespace

bool SegmentPolarGeometry(const Point2d& p1, const Point2d& p2, double bulge, Point2d& centre, double& radius,
                          double& startAngle, double& endAngle) {
    if (bulge == 0.0 || !std::isfinite(bulge) || PointsCoincide(p1.x, p1.y, p2.x, p2.y)) return false;
    const ArcRecord arc = ArcFromBulgeSegment(p1, p2, bulge);
    centre = arc.centre;
    radius = arc.radius;
    startAngle = arc.startAngle;
    endAngle = arc.endAngle;
    return true;
}

bool PointOnArcParameter(const Point2d& p, const Point2d& centre, double startAngle, double endAngle, double radius,
                         double& t) {
    double start = startAngle;
    double theta = 0.0;
    UnwrappedAngles(p, centre, start, endAngle, theta);
    if (theta < start - kEps || theta > endAngle + kEps) return false;
    const Point2d q = PolarPoint(centre.x, centre.y, theta, radius);
    if (!PointsWithin(q, p, kEps)) return false;
    const double sweep = endAngle - start;
    t = sweep == 0.0 ? 0.0 : (theta - start) / sweep;
    return true;
}

double NearestPointOnArc(const Point2d& p, const Point2d& centre, double startAngle, double endAngle, double radius,
                         Point2d& nearest) {
    double start = startAngle;
    double theta = 0.0;
    UnwrappedAngles(p, centre, start, endAngle, theta);
    const Point2d q = PolarPoint(centre.x, centre.y, theta, radius);
    if (theta >= start - kEps && theta <= endAngle + kEps) {
        nearest = q;
    } else {
        const Point2d first = PolarPoint(centre.x, centre.y, startAngle, radius);
        const Point2d last = PolarPoint(centre.x, centre.y, endAngle, radius);
        nearest = SquaredDistance(q, first) < SquaredDistance(q, last) ? first : last;
    }
    return std::sqrt(SquaredDistance(p, nearest));
}

}  // namespace geometry
