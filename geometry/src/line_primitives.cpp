#include "geometry/line_primitives.h"

#include <cmath>
#include <numbers>

namespace geometry {

LineCoeffs LineCoefficients(double x1, double y1, double x2, double y2) {
    const double dy = y2 - y1;
    const double s = dy < 0.0 ? -1.0 : 1.0;
    return {std::fabs(dy), s * (x1 - x2), s * (y1 * x2 - y2 * x1)};
}

}  // namespace geometry

namespace geometry {

double SegmentAngle(double x1, double y1, double x2, double y2) {
    constexpr double kPi = std::numbers::pi;
    if (std::fabs(x1 - x2) < 1e-6) {
        if (y2 > y1) return kPi / 2.0;
        if (y2 < y1) return 1.5 * kPi;
        return 0.0;
    }
    const double f = std::atan((y2 - y1) / (x2 - x1));
    if (std::fabs(f) < 1e-6) return x1 < x2 ? 0.0 : kPi;
    if (y2 > y1) return f > 0.0 ? f : f + kPi;
    return f > 0.0 ? f + kPi : f + 2.0 * kPi;
}

}  // namespace geometry
