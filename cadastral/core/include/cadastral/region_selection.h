// Selecting features inside a window or a polygon, or along a fence, through a host filter list
// and optionally a feature-code pattern (see entity_selection.h).
#pragma once

#include <string_view>

#include "platform/cad/ac_array.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

// Mode "w" (wholly inside) or "c" (inside or crossing) the window of the two corners, any letter
// case; false for other modes. With zoom set, the view first shows the window. True on the host's
// normal answer.
bool SelectByMode(ads_name selection, std::string_view mode, const AcGePoint3d& corner1, const AcGePoint3d& corner2,
                  const resbuf* filter, std::string_view codePattern, bool zoom);

// Mode "wp", "cp" (window or crossing polygon) or "f" (fence), any letter case. A polygon needs
// 3 points (a message says so), a fence 2. With zoom set the view first shows the points. An
// offset above 0.001 in size first moves the ring by that distance (positive inwards). Points
// closer than 0.001 to the one before reach the host once. True on the host's normal answer.
bool SSGetFromPolygon(ads_name selection, std::string_view mode, const AcGePoint2dArray& points, double offset,
                      const resbuf* filter, std::string_view codePattern, bool zoom);

// SSGetFromPolygon with the filter of a filter text "type,layer;...".
bool SelectInPolygonByFilter(ads_name selection, std::string_view mode, const AcGePoint2dArray& points,
                             double offset, std::string_view filterText, std::string_view codePattern, bool zoom);

}  // namespace cadastral
