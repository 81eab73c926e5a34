#pragma once
// Sorting the cut points of a ring by their parameter along it.
#include "geometry/point2d.h"

namespace geometry {

// Sorts the parameters ascending and moves each point with its parameter. Equal parameters keep
// no particular order; NaN parameters go last. Lists of different lengths are left unchanged.
void SortParameters(DoubleList& params, PointList& points);

}  // namespace geometry
