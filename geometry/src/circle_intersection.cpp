#include "geometry/circle_intersection.h"

#include <cmath>

namespace geometry {

namespace {
constexpr double kZero = 1e-10;
}

int CircleCircleIntersection(const Point2d& centre1, double radius1, const Point2d& centre2, double radius2,
                             Point2d& p, Point2d& q) {
    const double dx = centre2.x - centre1.x;
    const double dy = centre2.y - centre1.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d - radius1 - radius2 > kZero) return 0;
    if (std::fabs(dx) < kZero && std::fabs(dy) < kZero && std::fabs(radius1 - radius2) < kZero) return -1;
    if (std::fabs(radius1 - radius2) - d > kZero || d == 0.0) return 0;
    const double along = (d * d + radius1 * radius1 - radius2 * radius2) / (2.0 * d);
    const double h = std::sqrt(std::fmax(0.0, radius1 * radius1 - along * along));
    const Point2d foot{centre1.x + along * dx / d, centre1.y + along * dy / d};
    if (std::fabs(d - radius1 - radius2) <= kZero) {
        p = q = foot;
        return 1;
    }
    p = {foot.x - h * dy / d, foot.y + h * dx / d};
    q = {foot.x + h * dy / d, foot.y - h * dx / d};
    return 2;
}

int LineCircleIntersection(double centreX, double centreY, double radius, double a, double b, double c, Point2d& p,
                           Point2d& q) {
    if (std::fabs(a) < kZero && std::fabs(b) < kZero) return 0;
    if (std::fabs(a) < kZero || std::fabs(b) < kZero) {
        // Axis-parallel lines are solved directly: the offset from the centre across the line.
        const bool horizontal = std::fabs(a) < kZero;
        const double level = horizontal ? -c / b : -c / a;
        const double offset = level - (horizontal ? centreY : centreX);
        const double across = std::fabs(offset);
        if (across > radius) return 0;
        const double h = across == radius ? 0.0 : std::sqrt(radius * radius - offset * offset);
        if (horizontal) {
            p = {centreX - h, level};
            q = {centreX + h, level};
        } else {
            p = {level, centreY - h};
            q = {level, centreY + h};
        }
        return across == radius ? 1 : 2;
    }
    const double norm = std::sqrt(a * a + b * b);
    const double ua = a / norm;
    const double ub = b / norm;
    const double distance = (a * centreX + b * centreY + c) / norm;
    const Point2d foot{centreX - distance * ua, centreY - distance * ub};
    const double disc = radius * radius - distance * distance;
    if (disc < -kZero) return 0;
    if (std::fabs(disc) <= kZero) {
        p = q = foot;
        return 1;
    }
    const double h = std::sqrt(disc);
    p = {foot.x + h * ub, foot.y - h * ua};
    q = {foot.x - h * ub, foot.y + h * ua};
    return 2;
}

}  // namespace geometry
