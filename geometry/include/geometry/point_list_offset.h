#pragma once
// A point ring moved sideways by the host's curve offset.
#include "geometry/point2d.h"

namespace geometry {

// Replaces the points by the first curve the host offsets their polyline (closed when asked) to,
// and returns true. A positive distance moves a ring inwards whatever its orientation. A distance whose
// size is below the tolerance leaves the list alone and is true. False, the list unchanged, for
// fewer than 3 points or when the host gives no curve back.
bool OffsetPointList(PointList& vertices, double distance, double tolerance, bool closed);

}  // namespace geometry
