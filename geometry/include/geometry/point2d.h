#pragma once
// The engine's plain point and list types. The host adapters convert to and from the host's
// point arrays at the edge; everything inside works on these.
#include <vector>

namespace geometry {

struct Point2d {
    double x = 0.0;
    double y = 0.0;
};

inline bool operator==(const Point2d& a, const Point2d& b) { return a.x == b.x && a.y == b.y; }

using PointList = std::vector<Point2d>;
// One value per point, parallel to a PointList (bulges, parameters).
using DoubleList = std::vector<double>;

inline double SquaredDistance(const Point2d& a, const Point2d& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return dx * dx + dy * dy;
}

}  // namespace geometry
