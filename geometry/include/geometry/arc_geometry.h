#pragma once
// An arc given by centre, angles and radius: the arc of a bulged segment, where a point lies along
// it and the arc's point nearest to a given one. Angles run counter-clockwise from start to end; a
// start above the end passes angle 0.
#include "geometry/point2d.h"

namespace geometry {

// The arc of the segment p1-p2 with the given bulge. False (outputs untouched) when there is no
// arc: a bulge of 0 or end points that coincide.
bool SegmentPolarGeometry(const Point2d& p1, const Point2d& p2, double bulge, Point2d& centre, double& radius,
                          double& startAngle, double& endAngle);

// True when p lies on the arc (its direction within the angles, 1e-6 allowed, and its distance
// from the circle within 1e-6); t is then its fraction of the sweep, 0 at the start angle. An arc
// without sweep gives t = 0.
bool PointOnArcParameter(const Point2d& p, const Point2d& centre, double startAngle, double endAngle, double radius,
                         double& t);

// The arc's point nearest to p (an end point when p's direction lies outside the arc) and its
// distance from p.
double NearestPointOnArc(const Point2d& p, const Point2d& centre, double startAngle, double endAngle, double radius,
                         Point2d& nearest);

}  // namespace geometry
