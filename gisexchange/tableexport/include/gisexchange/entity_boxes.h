// The boxes of a fixed list of entities (the extents the host reports for them), searched by a
// grid of cells: whether a graphical selection over a window could take any of them. The export
// asks before selecting, and leaves out the selections whose answer cannot hold anything it looks
// for. Only a box clearly apart from the window settles that the selection cannot take the
// entity; every other box leaves the question to the host. An entity whose extents cannot be read
// counts as lying everywhere, so that no selection is left out for want of its box.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace gisexchange {

// Beyond the margin of any selection that looks for islands inside a boundary or for curves
// meeting one, so that the window asked about holds every window those selections use.
constexpr double kSelectionReach = 1.0;

// An axis-parallel box from low to high; empty (touching nothing) while low lies above high.
struct PlainBox {
    AcGePoint2d low{1.0, 1.0};
    AcGePoint2d high{-1.0, -1.0};

    bool IsEmpty() const { return !(low.x <= high.x && low.y <= high.y); }
    void Include(const AcGePoint2d& p);
    void Expand(double margin);
};

// The box around the points; empty for no points.
PlainBox BoxOfPoints(const AcGePoint2dArray& points);

class EntityBoxes {
public:
    explicit EntityBoxes(const std::vector<AcDbObjectId>& ids);

    // Whether a graphical selection over the window could take an entity other than `self`: one
    // whose box is not clearly apart from the window, or one without a box.
    bool MayTakeOther(const PlainBox& window, AcDbObjectId self) const;
    // The same for a selection that takes only what lies wholly within the window (a window or
    // window polygon inside it): one whose box does not reach clearly out of the window, or one
    // without a box.
    bool MayTakeOtherWithin(const PlainBox& window, AcDbObjectId self) const;

private:
    struct Cell {
        std::int64_t x, y;
        std::uint32_t entity;
    };
    static bool CellBefore(const Cell& a, const Cell& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

    bool AnyUnmeasuredBut(AcDbObjectId self) const;
    // Whether `takes` holds for the box of an entity other than `self` that is not clearly apart
    // from the window.
    template <typename Takes>
    bool AnyOther(const PlainBox& window, AcDbObjectId self, Takes takes) const;

    std::vector<AcDbObjectId> ids_;  // the measured ones, in the order of boxes_
    std::vector<AcDbObjectId> unmeasured_;
    std::vector<PlainBox> boxes_;
    double magnitude_ = 0;  // the largest coordinate of the boxes
    double cell_ = 1.0;
    // Each box under the cells it covers, sorted; a box over very many cells is kept in wide_.
    std::vector<Cell> cells_;
    std::vector<std::uint32_t> wide_;
};

}  // namespace gisexchange
