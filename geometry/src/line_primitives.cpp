#include "geometry/line_primitives.h"

#include <cmath>

namespace geometry {

LineCoeffs LineCoefficients(double x1, double y1, double x2, double y2) {
    const double dy = y2 - y1;
    const double s = dy < 0.0 ? -1.0 : 1.0;
    return {std::fabs(dy), s * (x1 - x2), s * (y1 * x2 - y2 * x1)};
}

double ProjectionParameter(const Point2d& p, const Point2d& a, const Point2d& b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return Dot2(p.x - a.x, p.y - a.y, dx, dy) / Dot2(dx, dy, dx, dy);
}

}  // namespace geometry
