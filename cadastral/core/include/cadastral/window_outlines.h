// Outlines of the drawing's current space (houses, parcels: the entities a caller names), read once
// for a command's run and kept in a grid by their boxes. They answer a window-polygon selection
// only where the boxes make it clear: when no outline comes near the polygon, or when exactly one
// outline's box lies clearly inside the polygon and every other near one clearly apart from it.
// Everything else, an outline near a side of the polygon, two or more taken (whose order is the
// host's), a polygon near the edges of the view, is left to the host's selection. The caller
// must change no outline while they live.
#pragma once

#include <functional>
#include <vector>

#include "geometry/cell_grid.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace cadastral {

class WindowOutlines {
public:
    // Reads every entity of the drawing that `isOutline` takes, in cells of the side given.
    WindowOutlines(double cell, const std::function<bool(const ads_name)>& isOutline);
    // Reads the given entities, in their order.
    WindowOutlines(double cell, const std::vector<AcDbObjectId>& outlines);

    // The outline a window-polygon selection of the polygon takes, seen in the view from viewLow to
    // viewHigh: none or one. False when only the host's selection can tell.
    bool WindowPolygon(const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                       const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected) const;

    // Whether the entity is one of the outlines read: what a graphical selection takes is one of
    // them exactly when the caller's `isOutline` took it.
    bool Holds(AcDbObjectId id) const;
    std::size_t Count() const { return outlines_.size(); }

private:
    struct Outline {
        AcDbObjectId id;
        AcGePoint2d low, high;  // its extents
    };
    void Read(AcDbObjectId id);
    void Seal();

    geometry::CellGrid grid_;  // outlines by their boxes
    double magnitude_ = 0;  // the largest coordinate read, which widens the margin
    std::vector<Outline> outlines_;
    std::vector<AcDbObjectId> ids_;  // of the outlines, sorted: ids only name them here
};

}  // namespace cadastral
