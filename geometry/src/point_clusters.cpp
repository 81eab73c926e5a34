#include "geometry/point_clusters.h"

#include <cmath>

#include "flat_key_map.h"
#include "geometry/cell_grid.h"

namespace geometry {

namespace {

// Cells are several tolerances wide, so that most points need only their own cell and a point's
// neighbours are looked at only when it lies near a cell border.
constexpr double kCellsPerTolerance = 8.0;
constexpr double kBorder = 1.0 / kCellsPerTolerance + 0.01;
constexpr double kCellLimit = 4e18;

}  // namespace

PointClusters::PointClusters(double tolerance)
    : tolerance_(tolerance), cellSize_(tolerance * kCellsPerTolerance), cells_(std::make_unique<detail::FlatKeyMap>()) {}
PointClusters::~PointClusters() = default;
PointClusters::PointClusters(PointClusters&&) noexcept = default;
PointClusters& PointClusters::operator=(PointClusters&&) noexcept = default;

int64_t PointClusters::Cell(double value) const {
    const double scaled = std::floor(value / cellSize_);
    // Coordinates beyond any drawing (and NaN) share the outermost cells; they still compare by
    // distance, so nothing is merged wrongly, only searched longer.
    if (!(scaled > -kCellLimit)) return std::isnan(scaled) ? 0 : static_cast<int64_t>(-kCellLimit);
    if (!(scaled < kCellLimit)) return static_cast<int64_t>(kCellLimit);
    return static_cast<int64_t>(scaled);
}

uint32_t PointClusters::FindInCell(int64_t cx, int64_t cy, const Point2d& p, uint32_t best) const {
    for (uint32_t id = cells_->Find(CellKey(cx, cy)); id != detail::FlatKeyMap::kNone; id = next_[id]) {
        if (id >= best) continue;
        const Point2d& q = points_[id];
        if (std::fabs(p.x - q.x) < tolerance_ && std::fabs(p.y - q.y) < tolerance_) best = id;
    }
    return best;
}

uint32_t PointClusters::Insert(const Point2d& p, bool* created) {
    const int64_t cx = Cell(p.x);
    const int64_t cy = Cell(p.y);
    const double fx = p.x / cellSize_ - static_cast<double>(cx);
    const double fy = p.y / cellSize_ - static_cast<double>(cy);
    const int x0 = fx < kBorder ? -1 : 0;
    const int x1 = fx > 1.0 - kBorder ? 1 : 0;
    const int y0 = fy < kBorder ? -1 : 0;
    const int y1 = fy > 1.0 - kBorder ? 1 : 0;
    uint32_t best = detail::FlatKeyMap::kNone;
    for (int dx = x0; dx <= x1; ++dx) {
        for (int dy = y0; dy <= y1; ++dy) best = FindInCell(cx + dx, cy + dy, p, best);
    }
    if (created) *created = best == detail::FlatKeyMap::kNone;
    if (best != detail::FlatKeyMap::kNone) return best;

    const uint32_t id = static_cast<uint32_t>(points_.size());
    points_.push_back(p);
    const uint64_t key = CellKey(cx, cy);
    next_.push_back(cells_->Find(key));
    cells_->Set(key, id);
    return id;
}

}  // namespace geometry
