#pragma once
// Where a point lies with respect to a closed ring whose sides may be circular arcs, each arc met
// by the ray exactly rather than flattened. The curve overlay asks it which pieces of one outline
// lie outside the other.
#include "geometry/point2d.h"

namespace geometry {

// 1 inside, -1 outside, 0 on the boundary (on a straight side by PointOnSegment, within 1e-6 of an
// arc); -3 when the lists differ in length, -2 for fewer than 3 vertices. Bulge i belongs to the
// side from vertex i to vertex i + 1 (the last one closes the ring); |bulge| below 0.001 is
// straight.
int PointInArcRing(const PointList& points, const DoubleList& bulges, const Point2d& p);

// p within the box of a-b (bounds included) and within 1e-6 of its line.
bool PointOnSegment(const Point2d& p, const Point2d& a, const Point2d& b);

}  // namespace geometry
