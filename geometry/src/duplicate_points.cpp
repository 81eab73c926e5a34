#include "geometry/duplicate_points.h"

namespace geometry {
namespace {

// Compacts the list in place; values (may be null) follow the points.
std::size_t Compact(PointList& points, DoubleList* values) {
    if (points.size() < 2) return points.size();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        bool repeated = false;
        for (std::size_t j = 0; j < kept && !repeated; ++j) repeated = SquaredDistance(points[i], points[j]) < 1e-12;
        if (repeated) continue;
        points[kept] = points[i];
        if (values != nullptr && i < values->size()) (*values)[kept] = (*values)[i];
        ++kept;
    }
    points.resize(kept);
    if (values != nullptr && values->size() > kept) values->resize(kept);
    return kept;
}

}  // namespace

std::size_t RemoveDuplicatePoints(PointList& points) { return Compact(points, nullptr); }

std::size_t RemoveDuplicatePointsPaired(PointList& points, DoubleList& values) { return Compact(points, &values); }

}  // namespace geometry
