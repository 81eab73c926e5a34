// Whether a point lies inside a closed curve: 1 inside, 0 on the curve, -1 outside, -2 when the
// curve is not closed, cannot be opened, or the point cannot be placed.
#pragma once

#include "platform/cad/ac_array.h"
#include "platform/cad/resbuf.h"

class AcDbCurve;

// For a curve the caller holds open. The test walks a vertical line through the point upwards
// from below the curve and counts the crossings, telling touches (the curve stays on one side)
// and runs along the line apart from crossings.
int PointInCurveTest(const AcDbCurve* curve, const AcGePoint2d& point);
// PointInCurveTest for an entity name.
int PointInClosedCurve(const ads_name entity, const AcGePoint2d& point);
// Appends the points lying within 0.001 of `line`, moved onto it, in order of their distance along
// it (equal distances in the given order); then drops points that lie within 0.0001 of a
// neighbour (the first and the last are neighbours) until every point stands apart.
void OrderPointsAlongCurve(const AcDbCurve* line, const AcGePoint3dArray& points, AcGePoint3dArray& ordered);
