#pragma once
// Which vertices of a polyline are too close to their successor or form spikes and needless
// corners. The lists name vertices in ascending order; removing them never leaves a closed ring
// below 3 vertices or an open polyline below 2, and never takes an open polyline's end vertices
// (such a list comes back empty).
#include <cstddef>
#include <vector>

#include "geometry/point2d.h"

namespace geometry {

// Vertices whose distance to the next one is below the tolerance (the next of the last is the
// first on a closed ring). On an open polyline a double at the start loses its second vertex.
std::vector<std::size_t> CloseVertexIndexes(const PointList& points, bool closed, double tolerance);

// Vertices that turn back on themselves (turning angle within the angle tolerance of 0 or 2 pi),
// that run straight through when asked (within it of pi), or whose neighbour lies within the
// distance tolerance of the line through the vertex and its other neighbour, a nearly straight
// run excepted unless asked. The previous of the first vertex is the last and the other way about.
std::vector<std::size_t> DegenerateVertexIndexes(const PointList& points, bool closed, double angleTolerance,
                                                 double distanceTolerance, bool collinear);

}  // namespace geometry
