#pragma once
// Where a circle meets another circle or a line.
#include "geometry/point2d.h"

namespace geometry {

// 0 when the circles are apart or one lies inside the other, -1 when they are the same circle
// (centres within 1e-10 on both axes, radii within 1e-10), 1 when they touch from outside (p and
// q are then the same point), otherwise 2 with the crossing points in p and q.
int CircleCircleIntersection(const Point2d& centre1, double radius1, const Point2d& centre2, double radius2,
                             Point2d& p, Point2d& q);

// The points of the line a x + b y + c = 0 on the circle: 0, 1 (tangent) or 2.
int LineCircleIntersection(double centreX, double centreY, double radius, double a, double b, double c, Point2d& p,
                           Point2d& q);

}  // namespace geometry
