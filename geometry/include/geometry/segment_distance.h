#pragma once
// Distances from a point to segments and polylines, and whether a point lies on a segment.
#include <cstddef>

#include "geometry/point2d.h"

namespace geometry {

// The point of the segment a-b nearest to p.
Point2d ClosestPointOnSegment(const Point2d& p, const Point2d& a, const Point2d& b);

// Squared distance from p to the segment a-b.
double SegmentDistanceSquared(const Point2d& p, const Point2d& a, const Point2d& b);

// True when p lies on the segment a-b: within the segment's span (with a margin for rounding at the
// end) and less than 1e-6 from its line.
bool IsPointOnSegment(const Point2d& p, const Point2d& a, const Point2d& b);

// The segment of the polyline nearest to p: its foot point, index and projection parameter, and
// the squared distance as the result; on ties the first segment wins. With fewer than two points
// 0 and the outputs untouched.
double NearestPointOnPolyline(const PointList& points, const Point2d& p, Point2d& foot, std::size_t& segment,
                              double& parameter);

}  // namespace geometry
