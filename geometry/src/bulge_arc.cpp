#include "geometry/bulge_arc.h"

#include <cmath>
#include <numbers>

namespace geometry {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double Normalize(double angle) {
    angle = std::fmod(angle, kTwoPi);
    if (angle < 0.0) angle += kTwoPi;
    return angle >= kTwoPi ? 0.0 : angle;
}

double DirectionAngle(const Point2d& from, const Point2d& to) { return std::atan2(to.y - from.y, to.x - from.x); }

double Sweep(const Point2d& centre, const Point2d& start, const Point2d& end, bool clockwise) {
    const double turn = DirectionAngle(centre, end) - DirectionAngle(centre, start);
    return Normalize(clockwise ? -turn : turn);
}

}  // namespace

void ArcCentreFromBulge(const Point2d& p1, const Point2d& p2, double bulge, Point2d& centre, double& radius) {
    const Point2d mid{0.5 * (p1.x + p2.x), 0.5 * (p1.y + p2.y)};
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    const double chord = std::sqrt(dx * dx + dy * dy);
    if (bulge == 0.0 || chord == 0.0) {
        centre = mid;
        radius = 0.0;
        return;
    }
    const double halfChord = 0.5 * chord;
    const double sagitta = std::fabs(bulge) * halfChord;
    radius = (sagitta * sagitta + halfChord * halfChord) / (2.0 * sagitta);
    // Left normal of the chord (its angle plus pi/2); the centre lies on the side away from the arc.
    const double side = (bulge > 0.0 ? 1.0 : -1.0) * (radius - sagitta) / chord;
    centre = {mid.x - dy * side, mid.y + dx * side};
}

double ArcParameter(const Point2d& p, const Point2d& centre, const Point2d& start, const Point2d& end,
                    bool clockwise) {
    const double sweep = Sweep(centre, start, end, clockwise);
    double angle = Sweep(centre, start, p, clockwise);
    if (angle > 0.5 * sweep + std::numbers::pi) angle -= kTwoPi;
    return angle / sweep;
}

double ArcLength(const Point2d& centre, double radius, const Point2d& start, const Point2d& end, bool clockwise) {
    return radius * Sweep(centre, start, end, clockwise);
}

}  // namespace geometry
