// The point features a snap of points onto line vertices may move, read once for one run and kept
// current as the run moves them: their base points, and for circles lying flat their centres and
// radii. A crossing window around a vertex is answered here only where the circles' boxes make it
// plain: no circle near it, or a single circle whose box lies well inside it. A circle whose box
// reaches across the window's edge, more than one circle taken (the host's order says which of
// equals comes first), or a window reaching to the edge of the view is left to the host.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "drawingutil/selection_set.h"
#include "geometry/point2d.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace cadastral {

struct SnapTarget {
    AcDbObjectId id;
    AcGePoint3d base;         // where its data puts it (group 10)
    geometry::Point2d centre;  // of the circle
    double radius = 0.0;
};

class SnapTargets {
public:
    // The features of a whole-drawing selection, in drawing order. Windows are answered here only
    // when every one of them is a circle lying flat that a crossing window can take (visible, in
    // the current space, on a layer that is on and thawed) and the view is known.
    void Load(const drawingutil::SelectionSet& features);

    // The position of the one target the host's crossing window between low and high would
    // select, or none; false when the host has to be asked.
    bool Window(const geometry::Point2d& low, const geometry::Point2d& high, std::vector<int>& selected) const;

    // The position of the feature, or -1 when it is not one of the targets.
    int Find(AcDbObjectId id) const;
    const SnapTarget& At(int position) const { return targets_[static_cast<std::size_t>(position)]; }

    // Reads the target's base point and centre again after the run moved it.
    void Reread(int position);

private:
    bool Read(SnapTarget& target) const;
    std::uint64_t CellOf(const geometry::Point2d& p) const;
    void File(int position);
    void Unfile(int position);

    std::vector<SnapTarget> targets_;
    std::vector<std::pair<AcDbObjectId, int>> byId_;  // positions looked up by id
    bool answers_ = false;  // windows can be answered here
    double cell_ = 1.0;
    double widest_ = 0.0;  // the largest radius
    geometry::Point2d viewLow_, viewHigh_;
    std::unordered_map<std::uint64_t, std::vector<int>> cells_;  // targets by the cell of their centre
};

}  // namespace cadastral
