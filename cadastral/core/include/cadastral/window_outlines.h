// Outlines of the drawing's current space (houses, parcels: the entities a caller names), read once
// for a command's run and kept in a grid by their boxes. They answer which of them a window-polygon
// selection takes, in drawing order, as the host's selection does, or say that only the host can
// tell: when an outline comes too close to the polygon's sides or its box to the polygon's box to
// call, when the polygon reaches the edges of the view, or when an outline near the polygon is
// hidden or of a shape not read here (arcs, fitted, tilted, raised, not a polyline). The caller
// must change no outline's shape while they live.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "geometry/cell_grid.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

class AcDbEntity;

namespace cadastral {

// Where an outline, the points of a polyline (closed or not), lies against a polygon:
// In when every point and side stays farther than the margin inside it, Out when its first point,
// or any point while the first lies inside, is farther than the margin outside, Unsure otherwise.
enum class OutlinePlace { In, Out, Unsure };
OutlinePlace PlaceOfOutline(const std::vector<AcGePoint2d>& outline, bool closed,
                            const AcGePoint2dArray& polygon, double margin);

class WindowOutlines {
public:
    // Reads every entity of the drawing that `isOutline` takes, in cells of the side given.
    WindowOutlines(double cell, const std::function<bool(const ads_name)>& isOutline);
    // Reads the given entities, in their order.
    WindowOutlines(double cell, const std::vector<AcDbObjectId>& outlines);

    // The outlines a window-polygon selection of the polygon takes, seen in the view from viewLow to
    // viewHigh, in drawing order. False when only the host's selection can tell.
    bool WindowPolygon(const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                       const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected) const;

    std::size_t Count() const { return outlines_.size(); }

private:
    struct Outline {
        AcDbObjectId id;
        AcGePoint2d low, high;  // the box the host keeps for it
        bool known;             // shown, and a straight flat polyline whose points were read
        bool closed;
        std::uint32_t first;
        std::uint32_t count;
    };
    void Read(AcDbObjectId id);

    geometry::CellGrid grid_;  // outlines by their boxes
    double magnitude_ = 0;  // the largest coordinate read, which widens the margin
    std::vector<Outline> outlines_;
    std::vector<AcGePoint2d> points_;
};

}  // namespace cadastral
