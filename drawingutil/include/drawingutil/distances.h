// Plane distances.
#pragma once

#include "platform/cad/ge_types.h"

double Distance2d(const AcGePoint2d& a, const AcGePoint2d& b);
// The distance of two points in the plane; z is ignored.
double PointDistance(const AcGePoint3d& a, const AcGePoint3d& b);
double PointDistanceXY(const AcGePoint2d& point, double x, double y);
