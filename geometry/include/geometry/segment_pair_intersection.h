#pragma once
// Where two straight segments meet, with a tolerance of 1e-6 (as a fraction of each segment)
// switched on separately at each of the four ends.
#include "geometry/point2d.h"

namespace geometry {

// 0 when the segments miss each other, are parallel on different lines or one has no length; 1
// with the crossing point in p1 when they cross; for segments on one line, the ends of their
// overlap (at most two, the first segment's ends first), taking only ends whose flag is set.
int IntersectSegmentPair(const Point2d& s1, const Point2d& e1, const Point2d& s2, const Point2d& e2, Point2d& p1,
                         Point2d& p2, bool flagS1, bool flagE1, bool flagS2, bool flagE2);

}  // namespace geometry
