#pragma once
// Arc-aware routines on a polyline given as points with a bulge per vertex: where two such
// polylines meet, the parameter of a point along one and the point at a parameter, the distance
// from a point, and the bulges of the two parts of a split arc.
//
// A segment is an arc when |bulge| exceeds the arc tolerance. A closed polyline runs on from its
// last vertex back to the first. Lists of different lengths are refused (no result).
// Parameter t = i + f: segment i, fraction f along it (by angle on an arc, counted from the
// segment's start vertex whatever the bulge's sign).
#include "geometry/point2d.h"

namespace geometry {

// Appends every point where a segment of A meets a segment of B, in the order found: segments of A
// in order, for each the segments of B in order. A point at a shared vertex may come once per pair
// of segments touching it. Each segment owns its start vertex; an open polyline's last segment
// also owns its end.
void IntersectBulgePolylines(const PointList& pointsA, const DoubleList& bulgesA, const PointList& pointsB,
                             const DoubleList& bulgesB, bool closedA, bool closedB, double arcTolerance,
                             PointList& out);

// The parameter of the first segment that holds p (within 0.001 of a straight segment, 1e-6 of an
// arc); false when none does.
bool PointParameterOnPolyline(const PointList& points, const DoubleList& bulges, const Point2d& p, bool closed,
                              double arcTolerance, double& t);

// The fraction along the segment s-e (from s) of p, when the segment holds it.
bool PointParameterOnSegment(const Point2d& s, const Point2d& e, double bulge, const Point2d& p, double arcTolerance,
                             double& f);

// The point at parameter t; false for t that is not finite, negative or past the last vertex
// (the closing vertex of a closed polyline included).
bool PointAtPolylineParameter(const PointList& points, const DoubleList& bulges, double t, bool closed,
                              double arcTolerance, Point2d& point);

// The smallest distance from p to the polyline and the point where it is reached; false for an
// empty list.
bool DistanceToBulgePolyline(const PointList& points, const DoubleList& bulges, bool closed, const Point2d& p,
                             double arcTolerance, double& distance, Point2d& nearest);

// The bulge of the arc of the given circle from `from` to `to`, clockwise or not: sagitta over half
// chord, the sagitta taken on the far side of the centre when the arc sweeps more than half a
// turn. 1 (or -1) when the chord is a diameter or longer; 0 when the ends coincide.
double SubArcBulge(const Point2d& centre, double radius, const Point2d& from, const Point2d& to, bool clockwise);

// The bulges of the two parts of segment `segment` when p becomes a vertex on it: 0 for a straight
// segment, the sub-arcs' bulges for an arc. False (nothing to insert) when p coincides with one of
// the segment's ends or the segment does not exist.
bool SplitSegmentBulges(const PointList& points, const DoubleList& bulges, std::size_t segment, const Point2d& p,
                        double arcTolerance, double& first, double& second);

}  // namespace geometry
