#pragma once
// Boolean overlay of two closed curves of the drawing (lightweight and simple 2D polylines,
// circles): the intersection, the union or either difference, added to the drawing as new closed
// polylines. The overlap checks read the outcome status at once after the call. Working copies of
// the curves live in memory only; the caller's curves are only read.
#include "geometry/point2d.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_object_id.h"

namespace geometry {

// Operation 1 the intersection, 2 the union, 3 first minus second, 4 second minus first; any
// other value is taken as 1. The ids of the results are appended to resultIds; rings whose area
// is below the tolerance are not added. False when the two ids are the same object or either
// cannot be opened as a curve; true otherwise, also when nothing came out.
bool CurveBoolean(AcDbObjectId first, AcDbObjectId second, AcDbObjectIdArray& resultIds, int operation,
                  double tolerance);

// Opens both curves for reading and runs the kernel of the operation (4: second minus first, any
// value outside 1 to 3 likewise) with the tolerance and result list of the CurveBoolean call. False
// when the ids are the same object or either cannot be opened as a curve; true whatever the kernel
// gave.
bool CurveBooleanDispatch(AcDbObjectId first, AcDbObjectId second, int operation);

// The outcome of the last kernel run: 0 none; 1 the first curve lies inside the second (a copy was
// made); 2 the second inside the first; 3 the extents do not overlap (intersection and union);
// 4 a ring was traced from crossing pieces (intersection and union). The difference leaves 0.
int CurveBooleanStatus();

// Results of the kernels (for their callers and tests): -100 a curve is missing, -101 not closed,
// -200 / -300 no extents of the first / second curve, -1 / -2 extents apart in x / y, -400 the
// host's intersection failed, -1000 nothing to give (a type not handled, or neither curve lies in
// the other); 1 or 2 success. They use the tolerance of the last CurveBoolean call and add their
// results to its result list.
int CurveIntersection(const AcDbCurve* a, const AcDbCurve* b);
int CurveUnion(const AcDbCurve* a, const AcDbCurve* b);
// A minus B. Where B does not reach into A (extents apart, apart, touching it from outside) the
// result is a copy of A; where B lies inside A without touching it, nothing (one closed polyline
// cannot hold the hole); where A lies inside B, nothing.
int CurveDifference(const AcDbCurve* a, const AcDbCurve* b);

// Where p lies for a closed curve of the drawing: 1 inside, 2 on the boundary, 0 outside;
// -300 no extents, -4 not closed, -5 fewer than 3 vertices, -7 vertices unreadable, -100 a type
// not handled. Circles and ellipses by their own geometry (0.001 either side of the boundary is
// on it), polylines by their vertices with arcs taken exactly.
int PointInCurve(const AcDbCurve* curve, const Point2d& p);

// PointInArcRing on the curve's vertices and bulges; -4 when they cannot be read.
int PointInPolyline(const AcDbCurve* curve, const Point2d& p);

}  // namespace geometry
