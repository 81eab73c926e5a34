#pragma once
// How two closed rings with arc sides lie to each other.
#include "geometry/point2d.h"

namespace geometry {

// The codes of the polygon relation test.
enum PolygonRelationCode : int {
    kRelationNotClosed = -400,
    kRelationSecondUnreadable = -200,
    kRelationFirstUnreadable = -100,
    kRelationApart = -2,
    kRelationTouch = -1,
    kRelationOverlap = 0,
    kRelationFirstInsideTouching = 1,
    kRelationSecondInsideTouching = 11,
    kRelationFirstInside = 2,
    kRelationSecondInside = 12,
    kRelationEqual = 100,
};

// The relation of two rings (points with a bulge per vertex, implicitly closed). Vertices that
// repeat their successor are dropped first; a ring left with two vertices joined by an arc (a
// circle read as two half circles, or a lens) is a real outline and gets a vertex in the middle of
// its first arc. A ring that still has fewer than 3 vertices, or lists of different lengths, gives
// kRelationFirstUnreadable or kRelationSecondUnreadable.
int RingRelation(PointList points1, DoubleList bulges1, PointList points2, DoubleList bulges2);

}  // namespace geometry
