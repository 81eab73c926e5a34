#pragma once
// The crossings of a horizontal ray, from a point towards +x, with one side of a ring: the shared
// core of the point-in-ring tests that take arcs exactly. A vertex on the ray counts only for the
// side that leaves it upwards, so a ray through a vertex is counted once or not at all.
#include "geometry/point2d.h"

namespace geometry::detail {

// Whether the ray from p crosses the straight side s-e.
bool StraightRayCrossing(const Point2d& p, const Point2d& s, const Point2d& e);

// The arc side s-e with the given bulge: 0 when p lies on the arc (within 1e-6); otherwise 1,
// after flipping `flip` once for each crossing of the ray with it.
int ArcRaySide(const Point2d& p, const Point2d& s, const Point2d& e, double bulge, bool& flip);

}  // namespace geometry::detail
