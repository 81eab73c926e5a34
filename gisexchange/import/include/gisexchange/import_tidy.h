// The passes that tidy a drawing read from MapGIS files: elevation labels become attributes of
// their elevation points, and the data of separate boundary points moves to the matching vertices
// of the parcel polylines of their group. Each erases what it converted, so a second run finds
// nothing more to do.
#pragma once

#include "platform/cad/db_object_id.h"

namespace gisexchange {

// The command TESTG: the first text of each elevation point's group becomes its "height"
// attribute, and the text is erased.
void ElevationLabelsCommand();

// The group's members in the group's order; nothing when the group cannot be opened.
void CollectGroupMembers(AcDbObjectId group, AcDbObjectIdArray& ids);

// Hands each boundary point's data to the parcel vertex at its place (below 0.00001 away) and
// erases the point.
void TransferBoundaryPointData(bool showProgress);

}  // namespace gisexchange
