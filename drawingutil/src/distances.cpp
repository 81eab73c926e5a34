#include "drawingutil/distances.h"

#include <cmath>

double Distance2d(const AcGePoint2d& a, const AcGePoint2d& b) { return std::hypot(a.x - b.x, a.y - b.y); }

double PointDistance(const AcGePoint3d& a, const AcGePoint3d& b) { return std::hypot(a.x - b.x, a.y - b.y); }

double PointDistanceXY(const AcGePoint2d& point, double x, double y) { return std::hypot(point.x - x, point.y - y); }
