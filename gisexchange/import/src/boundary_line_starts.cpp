#include "boundary_line_starts.h"

#include <algorithm>
#include <cmath>

#include "drawingutil/distances.h"

namespace gisexchange {
namespace {

// Cell indices stay well inside a 64-bit integer below this.
constexpr double kLargestCell = 1e15;

}  // namespace

// Cells twice the tolerance wide: a point within the tolerance of another lies in its cell or a
// neighbouring one, whatever the rounding of the division.
bool BoundaryLineStarts::CellOf(double x, double y, Cell& cell) const {
    const double size = 2 * tolerance_;
    const double cx = std::floor(x / size), cy = std::floor(y / size);
    if (!std::isfinite(cx) || !std::isfinite(cy) || std::fabs(cx) > kLargestCell || std::fabs(cy) > kLargestCell)
        return false;
    cell = {static_cast<std::int64_t>(cx), static_cast<std::int64_t>(cy)};
    return true;
}

// The distance test as the vertices have always been matched: not farther than the tolerance.
bool BoundaryLineStarts::IsMatch(const Entry& entry, double x, double y) const {
    return !entry.taken && !(PointDistanceXY(entry.start, x, y) >= tolerance_);
}

void BoundaryLineStarts::Add(const AcGePoint2d& start, AcDbObjectId line) {
    const std::size_t at = entries_.size();
    entries_.push_back({start, line, false});
    ++left_;
    Cell cell;
    if (CellOf(start.x, start.y, cell))
        cells_[cell].push_back(at);
    else
        unplaced_.push_back(at);
}

std::size_t BoundaryLineStarts::FirstIn(const std::vector<std::size_t>& list, double x, double y,
                                        std::size_t from) const {
    for (auto it = std::lower_bound(list.begin(), list.end(), from); it != list.end(); ++it)
        if (IsMatch(entries_[*it], x, y))
            return *it;
    return kNone;
}

std::size_t BoundaryLineStarts::NextMatch(double x, double y, std::size_t from) const {
    Cell cell;
    if (!CellOf(x, y, cell)) {
        for (std::size_t at = from; at < entries_.size(); ++at)
            if (IsMatch(entries_[at], x, y))
                return at;
        return kNone;
    }
    std::size_t first = FirstIn(unplaced_, x, y, from);
    for (std::int64_t dx = -1; dx <= 1; ++dx)
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            const auto near = cells_.find({cell.first + dx, cell.second + dy});
            if (near != cells_.end())
                first = std::min(first, FirstIn(near->second, x, y, from));
        }
    return first;
}

void BoundaryLineStarts::Take(std::size_t at) {
    Entry& entry = entries_[at];
    if (entry.taken)
        return;
    entry.taken = true;
    --left_;
    Cell cell;
    std::vector<std::size_t>* list = &unplaced_;
    std::map<Cell, std::vector<std::size_t>>::iterator placed = cells_.end();
    if (CellOf(entry.start.x, entry.start.y, cell)) {
        placed = cells_.find(cell);
        if (placed == cells_.end())
            return;
        list = &placed->second;
    }
    const auto it = std::lower_bound(list->begin(), list->end(), at);
    if (it != list->end() && *it == at)
        list->erase(it);
    if (placed != cells_.end() && list->empty())
        cells_.erase(placed);
}

}  // namespace gisexchange
