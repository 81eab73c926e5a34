// The extents of a fixed list of entities, searched by box: whether a selection over a window
// could take any of them. The export asks before selecting, and leaves out the selections whose
// answer cannot hold anything it looks for. An entity whose extents cannot be read counts as
// lying everywhere, so that no selection is left out for want of its box.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/box_index.h"
#include "geometry/extents.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"

namespace gisexchange {

// Beyond the margin of any selection that looks for islands inside a boundary or for curves
// meeting one, so that the test of extents before it never turns away what it would take.
constexpr double kSelectionReach = 1.0;

class EntityBoxes {
public:
    explicit EntityBoxes(std::vector<AcDbObjectId> ids);

    // Whether an entity other than `self` has extents touching the box (what a crossing window
    // over the box could take).
    bool AnyTouching(const geometry::Extents& box, AcDbObjectId self) const;
    // Whether an entity other than `self` has extents inside the box (what a window or a polygon
    // within the box could take).
    bool AnyInside(const geometry::Extents& box, AcDbObjectId self) const;
    // The entities whose extents touch the box, in no set order; false, with none given, when an
    // entity's extents could not be read.
    bool Touching(const geometry::Extents& box, std::vector<AcDbObjectId>& found) const;

private:
    bool AnyUnmeasuredBut(AcDbObjectId self) const;

    // In this order: measuring fills ids_ and unmeasured_ before boxes_ and the index are made.
    std::vector<AcDbObjectId> ids_;  // the measured ones, in the order of boxes_
    std::vector<AcDbObjectId> unmeasured_;
    std::vector<geometry::Extents> boxes_;
    geometry::BoxIndex index_;
};

// The box around the points.
geometry::Extents ExtentsOfPoints(const AcGePoint2dArray& points);

}  // namespace gisexchange
