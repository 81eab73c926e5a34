// The visible part of the drawing, the current view as a view record, and the boxes that zooming
// needs: of point lists and of entities. Corners are lower-left and upper-right, z 0.
#pragma once

#include "platform/cad/ac_array.h"
#include "platform/cad/resbuf.h"

class AcDbViewTableRecord;

// The window the current view shows, from "VIEWCTR", "VIEWSIZE" (its height) and the proportions
// of "SCREENSIZE". False, corners untouched, when the host cannot give them.
bool GetViewWindow(AcGePoint3d& lowerLeft, AcGePoint3d& upperRight);
// Fills the record from the current view's system variables. False, with the width not set, when
// the drawing view has no height.
bool SaveViewState(AcDbViewTableRecord& view);
// The smallest box holding the points, widened by the margin on every side; false, outputs
// untouched, for an empty list.
bool GetPointsExtents(const AcGePoint2dArray& points, AcGePoint3d& lowerLeft, AcGePoint3d& upperRight,
                      double margin);
// The entity's geometric extents widened by the margin; false when it cannot be opened or has none.
bool EntityExtents(const ads_name entity, AcGePoint3d& lowerLeft, AcGePoint3d& upperRight, double margin);
