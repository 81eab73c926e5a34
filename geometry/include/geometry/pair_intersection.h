#pragma once
// Intersections of two straight or bulged segments. Each routine appends the points it keeps to
// a point list and their parameters along the first operand (0 at its start, 1 at its end) to a
// parallel list, and returns the number appended.
//
// Which points count is decided by bounds on each operand: a point is kept when its signed
// distance along the operand from the operand's start (the parameter times the segment's length,
// or times the arc's length) lies within the bounds. The bounds are given as signed squares of
// those distances (SignedSquare), so that callers can say "up to 1e-6 before the start" and "up
// to 1e-6 short of the end" without a square root per test.
#include "geometry/point2d.h"

namespace geometry {

struct ParameterBounds {
    double lower = 0.0;
    double upper = 0.0;
};

inline double SignedSquare(double value) { return value < 0.0 ? -value * value : value * value; }

inline bool WithinBounds(double distanceAlong, const ParameterBounds& bounds) {
    const double v = SignedSquare(distanceAlong);
    return v >= bounds.lower && v <= bounds.upper;
}

// Overlap of [a, b] and [c, d] (each ordered): 0 when apart; 1 with the shared value when they
// only touch; 2 with max(a, c) and min(b, d) otherwise.
int IntervalOverlap(double a, double b, double c, double d, double out[2]);

int SegmentSegmentIntersection(const Point2d& p0, const Point2d& p1, const Point2d& q0, const Point2d& q1,
                               const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                               DoubleList& params);

// A straight segment p0-p1 against the arc q0-q1 with the given bulge.
int SegmentArcIntersection(const Point2d& p0, const Point2d& p1, const Point2d& q0, const Point2d& q1, double bulge2,
                           const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                           DoubleList& params);

// The arc p0-p1 with the given bulge against a straight segment q0-q1.
int ArcSegmentIntersection(const Point2d& p0, const Point2d& p1, double bulge1, const Point2d& q0, const Point2d& q1,
                           const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                           DoubleList& params);

// Two arcs. On one circle, the end points of each arc that lie on the other are appended: the
// second arc's ends first (with their parameters on the first arc), then the first arc's own
// ends with parameters 0 and 1.
int ArcArcIntersection(const Point2d& p0, const Point2d& p1, double bulge1, const Point2d& q0, const Point2d& q1,
                       double bulge2, const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                       DoubleList& params);

}  // namespace geometry
