#pragma once
// Where a line (a x + b y + c = 0) or a straight segment meets a circle or an arc. Arcs are given
// by centre, angles (counter-clockwise from start to end) and radius. An included end widens the
// arc (or segment) by 1e-6 there, an excluded one narrows it by as much.
#include "geometry/point2d.h"

namespace geometry {

// 0, 1 or 2 points; a single point only when the line touches the circle exactly. a = b = 0 (no
// line) gives 0.
int IntersectLineWithCircle(const Point2d& centre, double radius, double a, double b, double c, Point2d& p1,
                            Point2d& p2);

// The line's points on the circle that lie on the arc, in order in p1 and p2.
int IntersectLineWithArc(const Point2d& centre, double startAngle, double endAngle, double radius, double a, double b,
                         double c, Point2d& p1, Point2d& p2, bool includeStart, bool includeEnd);

// The points of the segment s-e on the arc. A segment whose ends coincide gives 0.
int IntersectSegmentWithArc(const Point2d& centre, double startAngle, double endAngle, double radius,
                            const Point2d& s, const Point2d& e, Point2d& p1, Point2d& p2, bool includeArcStart,
                            bool includeArcEnd, bool includeSegmentStart, bool includeSegmentEnd);

}  // namespace geometry
