#include "geometry/cell_grid.h"

#include <algorithm>
#include <cmath>

namespace geometry {
namespace {

// Cells far apart share a key (their indexes agree in the low 16 bits): a question then gets more
// values, never fewer, and the entries stay small.
std::uint32_t SmallKey(std::int64_t cx, std::int64_t cy) {
    return (static_cast<std::uint32_t>(cx) << 16) ^ (static_cast<std::uint32_t>(cy) & 0xffffu);
}

}  // namespace

std::int64_t CellIndex(double v, double cell) {
    constexpr double kFarthest = 1e15;
    const double c = std::floor(v / cell);
    return static_cast<std::int64_t>(c > -kFarthest ? (c < kFarthest ? c : kFarthest) : -kFarthest);
}

CellGrid::CellGrid(double cell, std::int64_t mostCells)
    : cell_(cell > 0 && std::isfinite(cell) ? cell : 1.0), mostCells_(mostCells) {}

void CellGrid::Reserve(std::size_t entries) {
    cells_.reserve(entries);
}

std::int64_t CellGrid::CellOf(double v) const {
    return CellIndex(v, cell_);
}

CellGrid::Span CellGrid::SpanOf(const Extents& box) const {
    return {CellOf(box.min.x), CellOf(box.max.x), CellOf(box.min.y), CellOf(box.max.y)};
}

// An upside-down box covers no cell. (across * up <= most, without forming the product.)
bool CellGrid::Few(const Span& s) const {
    const std::int64_t across = s.x1 - s.x0 + 1, up = s.y1 - s.y0 + 1;
    if (across <= 0 || up <= 0)
        return true;
    return across <= mostCells_ / up;
}

void CellGrid::Add(const Extents& box, std::uint32_t value) {
    const Span span = SpanOf(box);
    if (!Few(span)) {
        wide_.push_back(value);
        return;
    }
    for (std::int64_t cx = span.x0; cx <= span.x1; ++cx)
        for (std::int64_t cy = span.y0; cy <= span.y1; ++cy)
            cells_.emplace_back(SmallKey(cx, cy), value);
}

void CellGrid::Add(const Point2d& point, std::uint32_t value) {
    cells_.emplace_back(SmallKey(CellOf(point.x), CellOf(point.y)), value);
}

void CellGrid::Seal() {
    std::sort(cells_.begin(), cells_.end());
    cells_.erase(std::unique(cells_.begin(), cells_.end()), cells_.end());
}

bool CellGrid::Find(const Extents& box, std::vector<std::uint32_t>& found) const {
    found.clear();
    const Span span = SpanOf(box);
    if (!Few(span))
        return false;
    found.assign(wide_.begin(), wide_.end());
    for (std::int64_t cx = span.x0; cx <= span.x1; ++cx) {
        for (std::int64_t cy = span.y0; cy <= span.y1; ++cy) {
            const std::uint32_t key = SmallKey(cx, cy);
            auto it = std::lower_bound(cells_.begin(), cells_.end(), std::make_pair(key, std::uint32_t{0}));
            for (; it != cells_.end() && it->first == key; ++it)
                found.push_back(it->second);
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return true;
}

}  // namespace geometry
