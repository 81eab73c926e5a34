#pragma once
// The overlay of two closed rings whose boundaries cross: both are cut at the crossing points into
// pieces, each piece is classified by a point in the middle of its first side against the other
// ring, and the pieces that bound the result are chained into closed rings. Intersection, union
// and difference differ in which pieces they keep and how they chain them. The host adapter
// (curve_boolean.h) reads the curves, finds the crossings, handles curves that do not cross and
// puts the results into the drawing.
#include <vector>

#include "geometry/point2d.h"

namespace geometry {

// Points with a bulge per vertex (bulge i for the side from vertex i to i + 1), implicitly closed.
struct BulgeRing {
    PointList points;
    DoubleList bulges;
};

// The enclosed area with the arcs' segments, positive for a counter-clockwise ring. 0 for lists
// of different lengths or fewer than 2 vertices.
double SignedRingArea(const BulgeRing& ring);

// The ring the overlay works on: a vertex within 0.001 of the last one kept is dropped and the
// kept one takes the bulge of the side that leaves the dropped ones; a last vertex within 0.001
// of the first is dropped too. Two vertices joined by an arc (a circle as two half circles) get
// the middle of an arc as a third vertex, so that every point test can work on the ring.
// Lists of different lengths give an empty ring.
BulgeRing OverlayWorkingRing(const PointList& points, const DoubleList& bulges);

// Reverses the ring when its signed area says it turns the other way, keeping its first vertex
// first; each side keeps its arc (its bulge negated).
void MakeCounterclockwise(BulgeRing& ring);
void MakeClockwise(BulgeRing& ring);

// Inserts p as a vertex on the side that holds it, splitting an arc into its two sub-arcs. False
// (nothing inserted) when a vertex lies within 0.001 of p or no side holds it.
bool AddCrossingVertex(BulgeRing& ring, const Point2d& p);

// The index of the first point within 0.001 of p, or -1.
int IndexOfPoint(const PointList& points, const Point2d& p);

// Where p lies for the ring in the overlay's codes: 1 inside, 2 on the boundary, 0 outside;
// negative when the ring cannot be tested (fewer than 3 vertices).
int PointInRing(const BulgeRing& ring, const Point2d& p);

enum class OverlayOperation { kIntersection, kUnion, kDifference };

// What the overlay of two crossing rings gives.
struct OverlayOutcome {
    // 1 or 2 on success; -1000 when there is nothing to give (no usable piece).
    int result = -1000;
    // 4 when a ring was traced from pieces (intersection and union); 1 or 2 when one ring turned
    // out to lie in the other (see copy); 0 otherwise. The difference leaves it at 0.
    int status = 0;
    // 1 or 2: the result is the first or the second ring itself, which the caller copies.
    int copy = 0;
    // The traced rings whose area reaches the tolerance.
    std::vector<BulgeRing> rings;
};

// The overlay of the two working rings (OverlayWorkingRing) at the crossing points of their
// boundaries: the intersection and the union need two or more, the difference (first minus
// second) one or more. Orientation is set here.
OverlayOutcome OverlayCrossingRings(OverlayOperation operation, BulgeRing first, BulgeRing second,
                                    const PointList& crossings, double areaTolerance);

}  // namespace geometry
