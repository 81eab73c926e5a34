#include "geometry/point_in_polygon.h"

#include "geometry/segment_distance.h"

namespace geometry {

int PointInPolygon(const PointList& ring, double x, double y) {
    if (ring.size() < 3) return -2;
    const Point2d p{x, y};
    bool inside = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Point2d& a = ring[j];
        const Point2d& b = ring[i];
        if (SquaredDistance(a, b) < 1e-7) continue;
        if (IsPointOnSegment(p, a, b)) return 0;
        // Half-open in y, so that a vertex on the ray is counted once.
        if ((a.y <= y && y < b.y) || (b.y <= y && y < a.y)) {
            const double xAt = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x < xAt) inside = !inside;
        }
    }
    return inside ? -1 : 1;
}

}  // namespace geometry
