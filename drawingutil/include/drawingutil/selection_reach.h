#pragma once
// What the host's graphical selections can take, for callers that answer a selection from the
// geometry they hold and leave the host only the doubtful cases.

#include "platform/cad/db_entity.h"
#include "platform/cad/ge_types.h"

namespace drawingutil {

// Whether a graphical selection may take the entity: visible on a layer that is on and thawed.
bool ShownToSelection(const AcDbEntity& entity);

// Whether the straight side from a to b has a point in the axis-parallel box from low to high
// (the side clipped to the box, edges included).
bool SideMeetsBox(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& low, const AcGePoint2d& high);

}  // namespace drawingutil
