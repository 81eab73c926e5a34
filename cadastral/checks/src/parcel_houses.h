// The outlines on the houses' layer ("lwpolyline,JMD;polyline,JMD"), read once for a run of the
// integrity check and kept in a grid by their boxes. They answer which of them a window-polygon
// selection takes, in drawing order, as the host's selection does, or say that only the host can
// tell: when an outline comes too close to the polygon's sides or its box to the polygon's box to
// call, when the polygon reaches the edges of the view, or when an outline near the polygon is
// hidden or of a shape not read here (arcs, fitted, tilted, raised). The check changes none of
// them while they live.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace cadastral::detail {

class ParcelHouses {
public:
    // Reads the working drawing.
    ParcelHouses();

    // The outlines a window-polygon selection of the polygon (the points the host is handed)
    // takes, seen in the view from viewLow to viewHigh, in drawing order. False when only the
    // host's selection can tell.
    bool WindowPolygon(const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow, const AcGePoint2d& viewHigh,
                       std::vector<AcDbObjectId>& selected) const;

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

    double magnitude_ = 0;  // the largest coordinate read, which widens the margin
    std::vector<Outline> outlines_;
    std::vector<AcGePoint2d> points_;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> cells_;  // (cell, outline), sorted
    std::vector<std::uint32_t> wide_;                             // outlines over too many cells
};

}  // namespace cadastral::detail
