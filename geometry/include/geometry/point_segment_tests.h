#pragma once
// Tolerant comparisons of points and their relation to segments, as the topology checks use them:
// 1e-6 for coincidence and parameters, 0.001 for the distance from a segment's line.
#include "geometry/point2d.h"

namespace geometry {

bool PointsCoincide(double x1, double y1, double x2, double y2);
bool PointsWithin(const Point2d& p, const Point2d& q, double tolerance);
// (p - r) x (q - r) and (p - r) . (q - r).
double CrossProduct3(const Point2d& p, const Point2d& q, const Point2d& r);
double DotProduct3(const Point2d& p, const Point2d& q, const Point2d& r);
// Distance of p from the infinite line through s and e.
double DistanceToLine(const Point2d& p, const Point2d& s, const Point2d& e);
// Counter-clockwise angle from the ray p->q to the ray p->r, in [0, 2 pi).
double AngleBetweenRays(const Point2d& p, const Point2d& q, const Point2d& r);
// True when p lies within 0.001 of the line and its parameter t (also given back) within the
// segment, a little beyond each end allowed.
bool PointWithinSegment(const Point2d& p, const Point2d& s, const Point2d& e, double& t);
// The point of the segment nearest to p, and its distance from p.
double NearestPointOnSegment(const Point2d& p, const Point2d& s, const Point2d& e, Point2d& nearest);
// p within the segment's box and, unless the segment is axis-parallel, within 0.001 of its line.
bool PointNearSegment(const Point2d& p, const Point2d& s, const Point2d& e);

// Removes each point that coincides (within 1e-6) with the next, with its bulge, and a last point
// that coincides with the first. False when the lists differ in length.
bool RemoveDuplicateVertices(PointList& points, DoubleList& bulges);

}  // namespace geometry
