// The coded features inside a closed boundary of the drawing, for the feature writers of the
// table-driven export.
#pragma once

#include "platform/cad/ac_array.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

// Asks the host's polygon selection first (SelectByPolygon with `offset` and `restoreView`). When
// that finds nothing in window-polygon mode ("WP", any case), keeps from the window around the
// points the linear and point features of the code families "31" and "32" that lie inside the
// boundary. False when the polygon has fewer than 3 points ("WP"/"CP"), or the host selection
// fails in any other mode. The caller frees the result.
bool SelectCodedEntitiesInBoundary(const ads_name boundary, const AcGePoint2dArray& points, ads_name result,
                                   const char* mode, double offset, int restoreView);

}  // namespace gisexchange
