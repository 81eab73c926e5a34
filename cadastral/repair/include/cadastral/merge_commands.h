// The commands that close the small gaps between neighbouring polygons (map patches, parcels,
// patches against districts, patches or houses), and the tagging of the parcels inside a parcel
// with the face of the parcel outlines that holds each.
#pragma once

#include <vector>

#include "geometry/point2d.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

// Map patches among themselves.
void CombineTB();
// Parcels among themselves; then the boundary points go back onto the vertices and the parcels
// that gained a vertex get new length texts.
void CombineZD();
// District outlines about the vertices of the map patches.
void Combinetbxzq();
// Map patches (1) or houses (2), chosen by number.
void CombinePoly();
// Tags the parcels inside a picked parcel with their face numbers.
void testqzj();

// Builds the faces of the parcels ("300000") of the selection into `faces` (emptied first) and
// writes under "HH" on each parcel the number plus 2 of the face that holds a point inside it. A
// parcel with no point inside it found is not tagged.
void CheckParcelBoundaryPoints(const ads_name selection, std::vector<geometry::PointList>& faces);

}  // namespace cadastral
