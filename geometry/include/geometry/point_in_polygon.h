#pragma once
// Where a point lies with respect to a straight-edged ring.
#include "geometry/point2d.h"

namespace geometry {

// -1 inside, 0 on an edge, 1 outside (note the signs: inside is negative here); -2 for a ring of
// fewer than 3 vertices. The ring closes from its last vertex to its first; edges shorter than
// about 3e-4 are passed over.
int PointInPolygon(const PointList& ring, double x, double y);

}  // namespace geometry
