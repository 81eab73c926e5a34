#pragma once
// A grid of square cells over the plane that files values (indexes into the caller's own lists) by
// the boxes or points they cover, and answers which values lie in the cells a box covers. The
// caller tests the values it gets exactly: the grid may hand over more than touch the box (cells
// far apart may share a key; a value over too many cells goes to every question), never fewer.
#include <cstdint>
#include <utility>
#include <vector>

#include "geometry/extents.h"

namespace geometry {

// The index of the cell of the given side that holds v. Indexes stop far short of what an integer
// holds, and a v that is no number takes the lowest: casting a larger double would be undefined.
std::int64_t CellIndex(double v, double cell);

// A key for the cell at (x, y) in a hashed map of cells. Distinct cells may share a key (the
// caller's exact test then sees more values, never fewer); near ones almost never do.
inline std::uint64_t CellKey(std::int64_t x, std::int64_t y) {
    return static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(y);
}

class CellGrid {
public:
    // Cells of the side given (1 when it is no positive number). A value whose box spans more
    // than `mostCells` cells is handed to every question instead, and a question over more is
    // refused.
    CellGrid(double cell, std::int64_t mostCells);

    // Room for this many (cell, value) entries.
    void Reserve(std::size_t entries);
    void Add(const Extents& box, std::uint32_t value);
    void Add(const Point2d& point, std::uint32_t value);
    // To be called once everything is added, before any question.
    void Seal();

    // The values filed in the cells the box covers and those over too many cells, ascending and
    // each once; false, with none, when the box covers too many cells itself.
    bool Find(const Extents& box, std::vector<std::uint32_t>& found) const;

private:
    struct Span {
        std::int64_t x0, x1, y0, y1;
    };
    std::int64_t CellOf(double v) const;
    Span SpanOf(const Extents& box) const;
    bool Few(const Span& span) const;

    double cell_;
    std::int64_t mostCells_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> cells_;  // (cell key, value), sorted once sealed
    std::vector<std::uint32_t> wide_;                             // values over too many cells
};

}  // namespace geometry
