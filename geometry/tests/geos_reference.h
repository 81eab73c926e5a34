#pragma once
// Reference results from GEOS for the comparison tests.
#include <vector>

#include "geometry/point2d.h"

namespace geometry::testing {

// The exterior rings of the polygons of the union of the rings (holes left out).
std::vector<PointList> GeosUnionShells(const std::vector<PointList>& rings);

// The outlines of each group of rings whose boundaries meet (directly or through other rings of
// the group): the exterior rings of the union of the group's rings and of the gaps they enclose
// (every face that polygonize finds in the group's boundaries). A group lying inside another one
// keeps its own outline.
std::vector<PointList> GeosOutlinesPerGroup(const std::vector<PointList>& rings);

// The exterior rings of the polygons that GEOS polygonize finds in the rings' boundaries, noded
// against each other.
std::vector<PointList> GeosPolygonizeShells(const std::vector<PointList>& rings);

// Where GEOS puts the point with respect to the polygon of the ring: -1 inside, 0 on its
// boundary, 1 outside; 2 when GEOS finds the ring invalid.
int GeosPointLocation(const PointList& ring, const Point2d& p);

// The points where GEOS finds two segments meet: none, the crossing point, or the two ends of
// their overlap.
PointList GeosSegmentIntersection(const Point2d& a, const Point2d& b, const Point2d& c, const Point2d& d);

}  // namespace geometry::testing
