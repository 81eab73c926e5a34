#pragma once
// Dropping repeated points from a point list.
#include <cstddef>

#include "geometry/point2d.h"

namespace geometry {

// Removes every point closer than 1e-6 to an earlier kept point, keeping the first; returns the
// new count. Lists of fewer than two points stay as they are.
std::size_t RemoveDuplicatePoints(PointList& points);

// The same, removing the value at the same index from the parallel list.
std::size_t RemoveDuplicatePointsPaired(PointList& points, DoubleList& values);

}  // namespace geometry
