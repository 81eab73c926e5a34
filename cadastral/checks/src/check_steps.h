// Steps the overlap checks share: the selection set holder, outlines as the host's
// point arrays, and the drawing zoomed to its extents so that the screen-bound polygon
// selections see every feature.
#pragma once

#include <cstdint>

#include "drawingutil/selection_set.h"
#include "geometry/point2d.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/selection.h"

namespace cadastral::detail {

using SelectionSet = drawingutil::SelectionSet;

AcGePoint2dArray ToHostPoints(const geometry::PointList& points);
void ZoomExtents();
// True when the feature code's record in the code table is of the class (any letter case).
bool CodeOfClass(const ads_name entity, const char* featureClass);

}  // namespace cadastral::detail
