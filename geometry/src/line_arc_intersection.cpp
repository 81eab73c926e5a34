#include "geometry/line_arc_intersection.h"

#include <cmath>

#include "geometry/arc_pair_intersection.h"
#include "geometry/line_primitives.h"
#include "geometry/point_segment_tests.h"

namespace geometry {
namespace {

constexpr double kEps = 1e-6;

}  // namespace

int IntersectLineWithCircle(const Point2d& centre, double radius, double a, double b, double c, Point2d& p1,
                            Point2d& p2) {
    if (a == 0.0 && b == 0.0) return 0;
    if (a == 0.0 || b == 0.0) {
        // Axis-parallel lines are solved directly from their level across the centre.
        const bool horizontal = a == 0.0;
        const double level = horizontal ? -c / b : -c / a;
        const double offset = level - (horizontal ? centre.y : centre.x);
        const double disc = radius * radius - offset * offset;
        if (disc < 0.0) return 0;
        const double h = std::sqrt(disc);
        if (horizontal) {
            p1 = {centre.x - h, level};
            p2 = {centre.x + h, level};
        } else {
            p1 = {level, centre.y - h};
            p2 = {level, centre.y + h};
        }
        return disc == 0.0 ? 1 : 2;
    }
    // Relative to the centre: the foot of the perpendicular and the half chord along the line.
    const double m = a * a + b * b;
    const double c0 = a * centre.x + b * centre.y + c;
    const double disc = radius * radius * m - c0 * c0;
    if (disc < 0.0) return 0;
    const Point2d foot{centre.x - a * c0 / m, centre.y - b * c0 / m};
    const double h = std::sqrt(disc) / m;
    p1 = {foot.x + b * h, foot.y - a * h};
    p2 = {foot.x - b * h, foot.y + a * h};
    return disc == 0.0 ? 1 : 2;
}

int IntersectLineWithArc(const Point2d& centre, double startAngle, double endAngle, double radius, double a, double b,
                         double c, Point2d& p1, Point2d& p2, bool includeStart, bool includeEnd) {
    Point2d found[2];
    const int n = IntersectLineWithCircle(centre, radius, a, b, c, found[0], found[1]);
    const ArcRecord arc{centre, startAngle, endAngle, radius};
    Point2d* outputs[2] = {&p1, &p2};
    int kept = 0;
    for (int i = 0; i < n; ++i)
        if (AngleOnArc(arc, found[i], includeStart, includeEnd)) *outputs[kept++] = found[i];
    return kept;
}

int IntersectSegmentWithArc(const Point2d& centre, double startAngle, double endAngle, double radius,
                            const Point2d& s, const Point2d& e, Point2d& p1, Point2d& p2, bool includeArcStart,
                            bool includeArcEnd, bool includeSegmentStart, bool includeSegmentEnd) {
    if (PointsCoincide(s.x, s.y, e.x, e.y)) return 0;
    const LineCoeffs line = LineCoefficients(s.x, s.y, e.x, e.y);
    Point2d found[2];
    const int n = IntersectLineWithArc(centre, startAngle, endAngle, radius, line.a, line.b, line.c, found[0],
                                       found[1], includeArcStart, includeArcEnd);
    const double ks = includeSegmentStart ? 1.0 : -1.0;
    const double ke = includeSegmentEnd ? 1.0 : -1.0;
    Point2d* outputs[2] = {&p1, &p2};
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        const double t = ProjectionParameter(found[i], s, e);
        if (t >= -ks * kEps && t <= 1.0 + ke * kEps) *outputs[kept++] = found[i];
    }
    return kept;
}

}  // namespace geometry
