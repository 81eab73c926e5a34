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

// Where the boundaries of two rings (implicitly closed) meet, as GEOS's intersection gives it:
// single points, and the ends of each common stretch.
struct GeosMeeting {
    PointList points;
    PointList stretchEnds;
};
GeosMeeting GeosBoundaryMeeting(const PointList& ring1, const PointList& ring2);

// GEOS's distance from p to the ring's boundary (implicitly closed when asked).
double GeosBoundaryDistance(const PointList& ring, bool closed, const Point2d& p);

// How GEOS relates the polygons of two rings, in the codes of the ring relation test: 100 equal,
// -2 disjoint, -1 touching, 1 / 2 first within second with / without boundary contact, 11 / 12
// second within first likewise, 0 overlapping; 1000 when either ring is invalid.
int GeosRingRelation(const PointList& ring1, const PointList& ring2);

// GEOS's overlay of the polygons of two rings: operation 1 intersection, 2 union, 3 first minus
// second, 4 second minus first. `valid` is false when either ring is invalid.
struct GeosOverlayResult {
    bool valid = false;
    double area = 0.0;
    int parts = 0;  // polygons in the result
    bool onePolygonWithoutHoles = false;
    bool boundariesCross = false;  // the interiors overlap and neither holds the other
};
GeosOverlayResult GeosOverlay(const PointList& ring1, const PointList& ring2, int operation);

}  // namespace geometry::testing
