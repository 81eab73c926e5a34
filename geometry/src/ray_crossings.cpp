#include "ray_crossings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/arc_geometry.h"
#include "geometry/line_primitives.h"

namespace geometry::detail {
namespace {

constexpr double kHeight = 1e-6;
constexpr double kProbeStep = 0.001;
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

}  // namespace

bool StraightRayCrossing(const Point2d& p, const Point2d& s, const Point2d& e) {
    const bool straddles = (p.y > s.y - kHeight && p.y <= e.y - kHeight) || (p.y > e.y - kHeight && p.y <= s.y - kHeight);
    return straddles && p.x < s.x + (p.y - s.y) * (e.x - s.x) / (e.y - s.y);
}

int ArcRaySide(const Point2d& p, const Point2d& s, const Point2d& e, double bulge, bool& flip) {
    Point2d o;
    double radius = 0.0, a0 = 0.0, a1 = 0.0;
    // An arc whose ends coincide has no side to cross.
    if (!SegmentPolarGeometry(s, e, bulge, o, radius, a0, a1)) return 1;
    if (p.y > o.y + radius || p.y < o.y - radius || p.x > o.x + radius) return 1;

    // The ends as the angles see them: the start angle belongs to s for a counter-clockwise arc.
    const Point2d& atStart = bulge >= 0.0 ? s : e;
    const Point2d& atEnd = bulge >= 0.0 ? e : s;
    const bool startLevel = std::fabs(p.y - atStart.y) < kHeight;
    const bool endLevel = std::fabs(p.y - atEnd.y) < kHeight;
    const Point2d probeStart = PolarPoint(o.x, o.y, a0 + kProbeStep, radius);
    const Point2d probeEnd = PolarPoint(o.x, o.y, a1 - kProbeStep, radius);
    const double off = std::fabs(std::sqrt(SquaredDistance(p, o)) - radius);

    if (startLevel && endLevel) {
        if (off < kHeight) return 0;
        if (p.x >= o.x - radius) {
            if (p.x < atStart.x && p.y < probeStart.y) flip = !flip;
            if (p.x < atEnd.x && p.y < probeEnd.y) flip = !flip;
        }
        return 1;
    }
    if (startLevel && p.x < atStart.x && p.y < probeStart.y) flip = !flip;
    if (endLevel && p.x < atEnd.x && p.y < probeEnd.y) flip = !flip;

    double t = 0.0;
    if (PointOnArcParameter(p, o, a0, a1, radius, t)) return 0;

    const double startBefore = a0;
    bool wrapped = false;
    if (a0 > a1) {
        a0 -= kTwoPi;
        wrapped = true;
    }
    const double dy = p.y - o.y;
    // Rounding can put |dy| a hair past the radius at the circle's top and bottom.
    const double sine = std::clamp(dy / radius, -1.0, 1.0);
    const double w = std::sqrt(std::max(0.0, radius * radius - dy * dy));
    const double xl = o.x - w;
    const double xr = o.x + w;
    if (p.x > xr) return 1;
    double beta = std::asin(sine);
    double gamma = kPi - beta;
    if (beta < 0.0) beta += kTwoPi;
    // A ray that touches the circle at its top or bottom grazes the boundary without crossing it.
    if (std::fabs(gamma - beta) <= kHeight) return 1;
    if (wrapped) {
        if (gamma >= startBefore) gamma -= kTwoPi;
        if (beta >= startBefore) beta -= kTwoPi;
    }
    // A meeting point at an end that lies on the ray was counted by the end's own rule above.
    auto counts = [&](double angle) {
        if (angle < a0 || angle > a1) return false;
        if (startLevel && angle - a0 < kProbeStep) return false;
        if (endLevel && a1 - angle < kProbeStep) return false;
        return true;
    };
    if (counts(gamma) && p.x < xl) flip = !flip;
    if (counts(beta) && p.x < xr) flip = !flip;
    return 1;
}

}  // namespace geometry::detail
