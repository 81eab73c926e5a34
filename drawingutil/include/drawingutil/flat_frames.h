// The frame of a polyline lying flat: the vertices and bulges its drawn curve runs through.
#pragma once

#include <vector>

#include "platform/cad/ge_types.h"

class AcDbEntity;

namespace drawingutil {

// The vertices and bulges of a lightweight or simple 2D polyline lying flat, added to the lists;
// false for another shape (fitted, splined, tilted), whose drawn curve is not its frame.
bool ReadFlatFrame(AcDbEntity* entity, std::vector<AcGePoint2d>& points, std::vector<double>& bulges);

}  // namespace drawingutil
