#pragma once
// An outline walk cannot pass a node twice, so where a ring touches its group from inside at a
// single point (an island in a gap of the group, held at one corner), the walk around that island
// closes on its own and comes out as one more clockwise ring. It lies inside the group's outline
// and is no outline of the union; these routines find such rings.
#include <vector>

#include "geometry/point2d.h"

namespace geometry {

// Point-in-ring on the exact coordinates: 1 inside, 0 on the boundary, -1 outside.
int LocatePointInRing(const Point2d& p, const PointList& ring);

// Removes every outline that lies inside another outline of the same connected group of edges
// (all its points inside or on the other, at least one inside). `edges` are the graph's edges
// the outlines were traced from.
void RemoveIslandOutlines(std::vector<PointList>& outlines, const std::vector<PointList>& edges);

}  // namespace geometry
