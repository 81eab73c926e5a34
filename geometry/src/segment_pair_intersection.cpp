#include "geometry/segment_pair_intersection.h"

#include <cmath>

#include "geometry/line_primitives.h"
#include "geometry/point_segment_tests.h"

namespace geometry {
namespace {

constexpr double kEps = 1e-6;

Point2d Minus(const Point2d& p, const Point2d& o) { return {p.x - o.x, p.y - o.y}; }
Point2d Plus(const Point2d& p, const Point2d& o) { return {p.x + o.x, p.y + o.y}; }

bool WithinSegment(double t, bool includeStart, bool includeEnd) {
    return t >= -(includeStart ? kEps : 0.0) && t <= 1.0 + (includeEnd ? kEps : 0.0);
}

}  // namespace

int IntersectSegmentPair(const Point2d& s1, const Point2d& e1, const Point2d& s2, const Point2d& e2, Point2d& p1,
                         Point2d& p2, bool flagS1, bool flagE1, bool flagS2, bool flagE2) {
    if (PointsCoincide(s1.x, s1.y, e1.x, e1.y) || PointsCoincide(s2.x, s2.y, e2.x, e2.y)) return 0;

    // Working about the points' centroid keeps the products small for survey coordinates.
    const Point2d o{(s1.x + e1.x + s2.x + e2.x) / 4.0, (s1.y + e1.y + s2.y + e2.y) / 4.0};
    const Point2d a1 = Minus(s1, o), b1 = Minus(e1, o), a2 = Minus(s2, o), b2 = Minus(e2, o);
    const LineCoeffs l1 = LineCoefficients(a1.x, a1.y, b1.x, b1.y);
    const LineCoeffs l2 = LineCoefficients(a2.x, a2.y, b2.x, b2.y);

    const double d = l1.a * l2.b - l2.a * l1.b;
    if (std::fabs(d) > kEps) {
        const Point2d x{(l1.b * l2.c - l2.b * l1.c) / d, (l2.a * l1.c - l1.a * l2.c) / d};
        if (!WithinSegment(ProjectionParameter(x, a1, b1), flagS1, flagE1) ||
            !WithinSegment(ProjectionParameter(x, a2, b2), flagS2, flagE2))
            return 0;
        p1 = Plus(x, o);
        return 1;
    }

    // Parallel: they share a line when both ends of each lie within 1e-6 of the other's line.
    if (DistanceToLine(a1, a2, b2) >= kEps || DistanceToLine(b1, a2, b2) >= kEps ||
        DistanceToLine(a2, a1, b1) >= kEps || DistanceToLine(b2, a1, b1) >= kEps)
        return 0;

    Point2d found[2];
    int n = 0;
    if (flagS1 && WithinSegment(ProjectionParameter(a1, a2, b2), flagS2, flagE2)) found[n++] = a1;
    if (flagE1 && WithinSegment(ProjectionParameter(b1, a2, b2), flagS2, flagE2)) found[n++] = b1;
    auto alreadyFound = [&](const Point2d& p) {
        for (int i = 0; i < n; ++i)
            if (PointsCoincide(found[i].x, found[i].y, p.x, p.y)) return true;
        return false;
    };
    if (n < 2 && flagS2 && WithinSegment(ProjectionParameter(a2, a1, b1), flagS1, flagE1) && !alreadyFound(a2))
        found[n++] = a2;
    if (n < 2 && flagE2 && WithinSegment(ProjectionParameter(b2, a1, b1), flagS1, flagE1) && !alreadyFound(b2))
        found[n++] = b2;
    if (n > 0) p1 = Plus(found[0], o);
    if (n > 1) p2 = Plus(found[1], o);
    return n;
}

}  // namespace geometry
