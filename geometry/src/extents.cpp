#include "geometry/extents.h"

#include <algorithm>

namespace geometry {

void Extents::Include(const Point2d& p) {
    if (IsEmpty()) {
        min = max = p;
        return;
    }
    min.x = std::min(min.x, p.x);
    min.y = std::min(min.y, p.y);
    max.x = std::max(max.x, p.x);
    max.y = std::max(max.y, p.y);
}

void Extents::Include(const Extents& other) {
    if (other.IsEmpty()) return;
    Include(other.min);
    Include(other.max);
}

void Extents::Expand(double margin) {
    if (IsEmpty()) return;
    min.x -= margin;
    min.y -= margin;
    max.x += margin;
    max.y += margin;
}

Extents PointsExtents(const PointList& points) {
    Extents box;
    for (const Point2d& p : points) box.Include(p);
    return box;
}


}  // namespace geometry
