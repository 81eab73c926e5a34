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

}  // namespace geometry::testing
