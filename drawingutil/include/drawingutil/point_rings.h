// Point rings derived from curves: arcs approximated by points, rings offset, and their
// orientation.
#pragma once

#include "platform/cad/ac_array.h"
#include "platform/cad/resbuf.h"

// Appends the entity's vertices (the displayed curve of a 2D polyline) with every arc segment
// whose bulge exceeds 0.001 in magnitude replaced by points on the arc, spaced at most `step`
// degrees apart; a closed curve ends with its first point again. False when the vertices cannot
// be read (arcs, splines and the like) or the step is not above 0.
bool ApproximateCurveArcs(const ads_name entity, AcGePoint2dArray& points, double step);
// Appends the points moved by `distance` to the right of the direction of travel (a closed ring
// when `closed` is 1); the host's offset decides the corners. False for fewer than 2 points, a
// distance of 0, or a ring the host cannot offset.
bool OffsetPointRing(const AcGePoint2dArray& points, double distance, int closed, AcGePoint2dArray& result);
// True when the ring runs clockwise or encloses no area (an empty list included).
bool IsRingClockwise(const AcGePoint2dArray& points);
