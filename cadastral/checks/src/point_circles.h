// The circles on the boundary points' layer ("circle,JZP"), read once for a run of the integrity
// check and found by their centres. They answer which circles on a parcel's vertices the host's
// fence selection along the parcel's outline takes, in drawing order, or say that only the host
// can tell: when such a circle is hidden, tilted, raised or not of the current space, when the
// fence does not clearly run from inside it to outside, or when no circle is taken at all (the
// fence may still take a house). The check changes none of the circles while they live.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "geometry/cell_grid.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace cadastral::detail {

class PointCircles {
public:
    struct Circle {
        AcDbObjectId id;
        AcGePoint2d centre;
        double radius = 0;
        bool plain = false;  // shown, of the current space, flat at elevation 0: a selection's test is certain
    };

    // Reads the working drawing.
    PointCircles();

    // The circles the fence through the points takes whose centre lies closer than `reach` to
    // one of the vertices, as positions in drawing order; false when only the host can tell.
    // The fence's points are those the host is handed; the view is the one it sees.
    bool AlongFence(const AcGePoint2dArray& fence, const AcGePoint2dArray& vertices, double reach,
                    const AcGePoint2d& viewLow, const AcGePoint2d& viewHigh, std::vector<std::uint32_t>& taken) const;

    // The position of the circle, or -1 when it is not one of them.
    int Find(AcDbObjectId id) const;
    const Circle& At(std::uint32_t position) const { return circles_[position]; }
    std::size_t Count() const { return circles_.size(); }

private:
    void Read(AcDbObjectId id);

    double magnitude_ = 0;                                       // the largest coordinate read
    std::vector<Circle> circles_;                                // in drawing order
    geometry::CellGrid grid_;                                    // positions by their centres
    std::vector<std::pair<AcDbObjectId, std::uint32_t>> byId_;  // (id, position), sorted by id
};

}  // namespace cadastral::detail
