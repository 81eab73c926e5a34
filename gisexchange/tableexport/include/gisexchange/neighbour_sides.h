// The parcels' sides kept by their middles, so that a side no other parcel has is marked without
// asking the host's crossing selection around its middle: that selection could find no parcel to
// mark.
#pragma once

#include <compare>
#include <cstdint>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"

namespace gisexchange {

class NeighbourSides {
public:
    // A parcel as filed: its points and the vertices that start its sides, as read when it was
    // added (the caller keeps the parcels' shapes while the list lives).
    struct Filed {
        AcDbObjectId parcel;
        const AcGePoint2d* points;
        std::size_t pointCount;
        const AcDbObjectId* vertices;
        std::size_t vertexCount;
    };

    // Files the sides from each point to the next (the last to the first) under the parcel, and
    // keeps the points and the vertices given.
    void Add(AcDbObjectId parcel, const AcGePoint2dArray& points, const std::vector<AcDbObjectId>& vertices = {});
    // To be called once all parcels are added, before any question.
    void Finish();
    // The parcels with a side whose middle lies within `reach` of the point, in the order added
    // (and some more whose middles lie near, or every parcel for a reach over very many cells); a
    // parcel of the drawing not added is never named.
    std::vector<AcDbObjectId> Near(const AcGePoint2d& middle, double reach) const;
    // Near, with what was filed of each parcel.
    std::vector<Filed> NearFiled(const AcGePoint2d& middle, double reach) const;

private:
    std::vector<AcDbObjectId> parcels_;
    std::vector<std::uint32_t> firstPoint_, firstVertex_;  // each parcel's start in the lists, one more at the end
    std::vector<AcGePoint2d> points_;
    std::vector<AcDbObjectId> vertices_;
    // The parcels by the cells of their sides' middles, (x, y, parcel), sorted once finished.
    struct Cell {
        std::int64_t x, y;
        std::uint32_t parcel;
        auto operator<=>(const Cell&) const = default;
    };
    std::vector<Cell> cells_;
};

}  // namespace gisexchange
