// The boundary lines of one group by the point each starts at, for handing each line's data to the
// parcel vertex it starts on. Found through a grid of the positions, so that a group holding many
// parcels and lines costs each vertex a few comparisons rather than a walk over the whole group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

namespace gisexchange {

class BoundaryLineStarts {
public:
    // Points within the tolerance of a vertex are its matches.
    explicit BoundaryLineStarts(double tolerance) : tolerance_(tolerance) {}

    void Add(const AcGePoint2d& start, AcDbObjectId line);
    bool Empty() const { return left_ == 0; }
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    // The first line not taken yet, from the one added `from`th on, whose start matches the
    // position; kNone when none. A start or position that is not a usable number is compared the
    // plain way, so it matches as the distance test alone would have it.
    std::size_t NextMatch(double x, double y, std::size_t from) const;
    AcDbObjectId Line(std::size_t at) const { return entries_[at].line; }
    // The line is handed out and matches no more.
    void Take(std::size_t at);

private:
    using Cell = std::pair<std::int64_t, std::int64_t>;
    struct Entry {
        AcGePoint2d start;
        AcDbObjectId line;
        bool taken = false;
    };
    bool CellOf(double x, double y, Cell& cell) const;
    bool IsMatch(const Entry& entry, double x, double y) const;
    std::size_t FirstIn(const std::vector<std::size_t>& list, double x, double y, std::size_t from) const;

    double tolerance_;
    std::vector<Entry> entries_;
    // Lines not taken yet, in the order they were added: by the cell of their start, and the ones
    // whose start is off the grid.
    std::map<Cell, std::vector<std::size_t>> cells_;
    std::vector<std::size_t> unplaced_;
    std::size_t left_ = 0;
};

}  // namespace gisexchange
