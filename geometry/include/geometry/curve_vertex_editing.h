#pragma once
// Vertex by vertex edits of curves in the drawing: lightweight polylines (vertices by index),
// simple 2D polylines (vertex objects reached through the vertex iterator) and, for moving an
// end, lines. Fitted 2D polylines and other curves are refused.
#include "geometry/point2d.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_object_id.h"

namespace geometry {

// Inserts p as a vertex on segment `segment` of the curve (open for write; points and bulges as
// read from it), splitting an arc's bulge between the two parts. The new vertex's index, or -1
// when p coincides with an end of the segment, the segment does not exist or the curve type is
// not handled.
int InsertVertexOnSegment(AcDbCurve* curve, const PointList& points, const DoubleList& bulges, int segment,
                          const Point2d& p);

// The same on the curve with this id, on the segment that holds p; -1 when none does.
int InsertVertexAtPointOnCurve(AcDbObjectId curve, const Point2d& p);

// Moves vertex `index` (a line: 0 its start, any other its end). False for an index out of range,
// a point that is not finite, or a curve type not handled.
bool MoveCurveVertex(AcDbObjectId curve, int index, const Point2d& p);

// Removes every vertex closer than the tolerance to the next one (see CloseVertexIndexes). True
// when the curve could be read and edited; `removed` says how many went.
bool RemoveCloseVertices(AcDbObjectId curve, double tolerance, int* removed = nullptr);
bool RemoveCloseVertices(const ads_name curve, double tolerance, int* removed = nullptr);

// Removes close vertices, then spikes and needless corners (see DegenerateVertexIndexes); the
// number of vertices removed in all, -1 when the curve cannot be read or edited.
int RemoveDegenerateVertices(const ads_name curve, double angleTolerance, double distanceTolerance, bool collinear);

// The points where the two curves meet (their vertex lists and closed flags), appended with z 0.
bool CurveIntersectionPoints(const AcDbCurve* first, const AcDbCurve* second, AcGePoint3dArray& points,
                             double arcTolerance);

}  // namespace geometry
