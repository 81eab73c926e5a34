// Selection by a polygon or fence. The host's graphical selection sees only what lies in the
// current view, so the view is first widened to the polygon and, when the caller asks, put back.
#pragma once

#include <functional>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

// Modes, without regard to case: "WP" wholly inside the polygon, "CP" inside or crossing it, "F"
// and "FX" crossing the open chain of points.
//
// With "WP" and an offset above 0.001 the polygon is first taken clockwise and moved by the offset
// into the ring; an offset below -0.001 moves it out of the ring, so that what touches the
// polygon from inside counts as within it. Consecutive points closer than 0.001 reach the host once. The pick style is off
// while the host selects and the user's setting is back afterwards. True when the host made a
// selection set, which the caller then frees; false for an unknown mode (nothing else happens) or
// when nothing was selected. With a filter, only what it passes is selected.
bool SelectByPolygon(AcGePoint2dArray points, ads_name selection, const char* mode, double offset,
                     int restoreView, const resbuf* filter = nullptr);

// The form the exchange plug-in calls: the view stays widened.
inline bool SelectByPolygon(const AcGePoint2dArray& points, const char* mode, ads_name selection, double offset)
{
    return SelectByPolygon(points, selection, mode, offset, 0);
}

// What a caller may know of the drawing to answer a selection itself: given the points the host
// would be handed and the view it would see, it fills `selected` in drawing order and returns
// true, or returns false when only the host can tell. The answer need hold only the entities the
// caller looks for.
using PolygonAnswer = std::function<bool(const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                                         const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected)>;

// SelectByPolygon for a caller that may answer: the same steps around the selection (the view,
// the pick style), the answer asked before the host. The entities selected, in drawing order; false
// for an unknown mode or when nothing was selected.
bool SelectByPolygon(const AcGePoint2dArray& points, const char* mode, double offset, int restoreView,
                     const PolygonAnswer& answer, std::vector<AcDbObjectId>& selected);
