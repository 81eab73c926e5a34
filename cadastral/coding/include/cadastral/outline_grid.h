// The closed polylines of the drawing's current space, read once for a run of the coder and kept
// by their boxes in a grid. The grid answers what a small crossing window takes only where the
// boxes make it plain: no outline near the window, or one lying wholly within it; every other
// window goes to the host's crossing selection. The coder moves no outline while the grid lives
// (it converts lightweight outlines and turns their starts, which keeps every side where it was),
// so the boxes read stay true.
#pragma once

#include <vector>

#include "geometry/cell_grid.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace cadastral {

class OutlineGrid {
public:
    // Reads every closed lightweight or 2D polyline of the current space, in cells of the side
    // given.
    explicit OutlineGrid(double cell);

    // The outlines other than `passed` that a crossing window from low to high selects, seen in
    // the view from viewLow to viewHigh. False when only the host's selection can tell: when an
    // outline's box comes near the window without lying clearly inside it, when more than one is
    // taken (their order is the host's), or when the window comes near the view's edges.
    bool Crossing(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& viewLow,
                  const AcGePoint2d& viewHigh, AcDbObjectId passed, std::vector<AcDbObjectId>& selected) const;

private:
    struct Outline {
        AcDbObjectId id;
        AcGePoint2d low, high;  // its extents
        bool shown;             // visible on a layer that is on and thawed
    };
    void Read(AcDbObjectId id);

    geometry::CellGrid grid_;  // outlines by their boxes
    double magnitude_ = 0;  // the largest coordinate read, which widens the margin
    std::vector<Outline> outlines_;
};

}  // namespace cadastral
