#pragma once
// Where a point lies with respect to a closed ring whose sides may be circular arcs.
#include "geometry/point2d.h"

namespace geometry {

// 1 inside, -1 outside, 0 on the boundary (within 0.001 of a straight side, 1e-6 of an arc);
// -2 for a ring of fewer than 3 vertices or lists of different lengths. The ring is implicitly
// closed; bulge i belongs to the side from vertex i to vertex i + 1, |bulge| below 0.001 is
// straight.
int PointInBulgePolygon(const PointList& points, const DoubleList& bulges, double x, double y);

}  // namespace geometry
