#pragma once
// The circular arc of a bulged segment: its circle, the position of a point along it and its
// length. A positive bulge runs counter-clockwise from start to end, a negative one clockwise.
#include "geometry/point2d.h"

namespace geometry {

// Centre and radius of the arc from p1 to p2 with the given bulge. A bulge of exactly 0 gives
// the chord's midpoint and radius 0 (there is no circle).
void ArcCentreFromBulge(const Point2d& p1, const Point2d& p2, double bulge, Point2d& centre, double& radius);

// Position of p along the arc from start to end as a fraction of the sweep (0 at the start, 1 at
// the end); points a little before the start come out slightly negative.
double ArcParameter(const Point2d& p, const Point2d& centre, const Point2d& start, const Point2d& end,
                    bool clockwise);

// radius times the sweep from start to end in the arc's direction (0 to 2 pi).
double ArcLength(const Point2d& centre, double radius, const Point2d& start, const Point2d& end, bool clockwise);

}  // namespace geometry
