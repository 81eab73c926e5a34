// Reference answers from GEOS for the comparison tests.
#pragma once

#include <vector>

#include "platform/cad/ac_array.h"

namespace gisexchange::reference {

// Whether GEOS finds the ring (implicitly closed) a valid polygon shell.
bool GeosValidRing(const AcGePoint2dArray& ring);
// -1 inside, 0 on the boundary, 1 outside the polygon of the ring.
int GeosLocate(const AcGePoint2dArray& ring, const AcGePoint2d& point);
// The area of the intersection of the polygons of two rings.
double GeosIntersectionArea(const AcGePoint2dArray& a, const AcGePoint2dArray& b);
// The lines cut at every point where they meet, as GEOS nodes them.
std::vector<AcGePoint2dArray> GeosNodedLines(const std::vector<AcGePoint2dArray>& lines, bool closeRings);
// The areas of the outer outlines, in increasing order, of the faces GEOS polygonize finds in the
// lines once noded.
std::vector<double> GeosPolygonizeAreas(const std::vector<AcGePoint2dArray>& lines);
// The rings' boundaries dissolved into one line set: its total length.
double GeosDissolvedLength(const std::vector<AcGePoint2dArray>& lines, bool closeRings);
// The length of the lines of `a` that are not covered by the lines of `b`.
double GeosUncoveredLength(const std::vector<AcGePoint2dArray>& a, bool closeA,
                           const std::vector<AcGePoint2dArray>& b, bool closeB);

}  // namespace gisexchange::reference
