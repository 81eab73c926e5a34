// Which of an area group's members the host's crossing window over a box takes, told from their
// extents and sides where the drawing alone is certain, so that cutting the members' boundaries
// need not ask the host around each of them. A member is taken for certain when its extents lie
// clearly inside the window or a straight side of it runs clearly through the window, and left for
// certain when it stays clearly outside; a member near the window's edges, hidden, of another
// space or of a shape not read here (fitted, tilted, no polyline) leaves the question to the host.
#pragma once

#include <vector>

#include "gisexchange/entity_boxes.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace gisexchange {

// The members other than `passed` that a crossing window from low to high takes, seen in the view
// from viewLow to viewHigh, in drawing order; false when only the host's selection can tell.
bool MembersCrossing(const EntityBoxes& members, AcDbObjectId passed, const AcGePoint2d& low, const AcGePoint2d& high,
                     const AcGePoint2d& viewLow, const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected);

}  // namespace gisexchange
