// The closed polylines of the drawing's current space, read once for a run of the coder and kept
// by their sides in a grid. The grid answers which of them a small crossing window selects, in
// drawing order, as the host's crossing selection does, or says that only the host can tell: when
// a side runs too close to the window's edges to call, when the window reaches the edges of the
// view, or when an outline near the window is hidden or of a shape not read here (fitted, tilted).
// The coder changes no outline's shape while the grid lives (it converts lightweight outlines and
// turns their starts, which keeps every side where it was), so the sides read stay true.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/cell_grid.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace cadastral {

// How a side of an outline, from a to b (with a bulge: an arc), meets an axis-parallel window:
// Apart when it stays farther than the margin outside, Enters when it reaches farther than the
// margin inside, Unsure in between.
enum class SideTouch { Apart, Enters, Unsure };
SideTouch TouchOfSide(const AcGePoint2d& a, const AcGePoint2d& b, double bulge, const AcGePoint2d& low,
                      const AcGePoint2d& high, double margin);

class OutlineGrid {
public:
    // Reads every closed lightweight or 2D polyline of the current space, in cells of the side
    // given.
    explicit OutlineGrid(double cell);

    // The outlines other than `passed` that a crossing window from low to high selects, seen in
    // the view from viewLow to viewHigh, in drawing order. False when only the host's selection
    // can tell.
    bool Crossing(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& viewLow,
                  const AcGePoint2d& viewHigh, AcDbObjectId passed, std::vector<AcDbObjectId>& selected) const;

private:
    // An outline's vertices lie one after another in the grid's lists; an outline whose sides are
    // not read keeps the corners of its box there instead, as its one side.
    struct Outline {
        AcDbObjectId id;
        bool shown;    // visible on a layer that is on and thawed
        bool boxOnly;  // known by its box only
        std::uint32_t first;
        std::uint32_t count;
    };
    void Read(AcDbObjectId id);
    void AddBox(std::uint32_t outline, const AcGePoint2d& low, const AcGePoint2d& high);
    void AddSide(std::uint32_t vertex);
    std::uint32_t Next(std::uint32_t vertex) const;

    geometry::CellGrid grid_;  // sides by their boxes, as their first vertices
    double magnitude_ = 0;  // the largest coordinate read, which widens the margin
    std::vector<Outline> outlines_;
    std::vector<AcGePoint2d> points_;
    std::vector<double> bulges_;
    std::vector<std::uint32_t> owner_;  // the outline of each vertex
};

}  // namespace cadastral
