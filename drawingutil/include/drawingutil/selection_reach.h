#pragma once
// What the host's graphical selections can take, for callers that keep an index of their own: the
// index may settle what the entities' boxes make clear (a box wholly inside the window, or wholly
// apart from it, by a margin); every other case goes to the host's selection.

#include "platform/cad/db_entity.h"
#include "platform/cad/ge_types.h"

namespace drawingutil {

// The margin by which a box must stand inside or apart from a window for the answer to be clear:
// far above the rounding of the coordinates (`magnitude`, the largest of them) and the drawing
// tolerance.
double ClearMargin(double magnitude);

// Whether the box from low to high lies inside the window from windowLow to windowHigh, farther
// than the margin from each of its edges.
bool BoxClearlyInside(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& windowLow,
                      const AcGePoint2d& windowHigh, double margin);

// Whether part of the box from low to high lies farther than the margin beyond an edge of the
// window: what a window selection takes lies wholly inside it, so it cannot take such an entity.
bool BoxClearlyOutOf(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& windowLow,
                     const AcGePoint2d& windowHigh, double margin);

// Whether the two boxes stand farther apart than the margin on at least one axis.
bool BoxesClearlyApart(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& otherLow,
                       const AcGePoint2d& otherHigh, double margin);

// Whether a graphical selection may take the entity: visible on a layer that is on and thawed.
bool ShownToSelection(const AcDbEntity& entity);

// Whether the entity belongs to its drawing's current space, the only one a graphical selection
// looks in.
bool InCurrentSpace(const AcDbEntity& entity);

// Whether the straight side from a to b has a point in the axis-parallel box from low to high
// (the side clipped to the box, edges included).
bool SideMeetsBox(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& low, const AcGePoint2d& high);

}  // namespace drawingutil
