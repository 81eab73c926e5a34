#include "geometry/gap_distances.h"

#include <cmath>

#include "flat_key_map.h"
#include "geometry/cell_grid.h"
#include "geometry/segment_distance.h"

namespace geometry {

double SquaredDistance2d(const Point2d& a, const Point2d& b) {
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    return dx * dx + dy * dy;
}

bool AnyPointWithin(const PointList& points, const Point2d& p, double d) {
    const double limit = d * d;
    for (const Point2d& q : points)
        if (SquaredDistance2d(q, p) <= limit) return true;
    return false;
}

double NearestPointDistance(const PointList& points, const Point2d& p, Point2d& nearest) {
    if (points.empty()) return 0.0;
    double best = SquaredDistance2d(points[0], p);
    std::size_t bestIndex = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double d = SquaredDistance2d(points[i], p);
        if (d < best) {
            best = d;
            bestIndex = i;
        }
    }
    nearest = points[bestIndex];
    return std::sqrt(best);
}

double DistanceToPolyline(const PointList& points, const Point2d& p) {
    if (points.empty()) return 0.0;
    if (points.size() == 1) return std::sqrt(SquaredDistance2d(points[0], p));
    Point2d foot;
    std::size_t segment = 0;
    double parameter = 0.0;
    return std::sqrt(NearestPointOnPolyline(points, p, foot, segment, parameter));
}

class PointGrid::Cells : public detail::FlatKeyMap {};

PointGrid::PointGrid(double distance)
    : distance_(std::isfinite(distance) && distance > 0.0 ? distance : 0.0),
      cell_(distance_ > 0.0 ? distance_ : 1.0),
      heads_(std::make_unique<Cells>()) {}

PointGrid::~PointGrid() = default;

// Far-off or huge coordinates (and NaN) share an edge cell instead of overflowing; the distance
// test that follows keeps the answers right.
std::int64_t PointGrid::CellIndex(double coordinate) const { return geometry::CellIndex(coordinate, cell_); }

void PointGrid::Add(const Point2d& p) {
    const std::uint64_t key = geometry::CellKey(CellIndex(p.x), CellIndex(p.y));
    const auto index = static_cast<std::uint32_t>(points_.size());
    points_.push_back(p);
    next_.push_back(heads_->Find(key));
    heads_->Set(key, index);
    ++size_;
}

bool PointGrid::AnyWithin(const Point2d& p) const {
    if (size_ == 0) return false;
    // The cells the square p ± d touches, widened a little so that rounding in the division never
    // leaves out a point at exactly the distance.
    const double margin = distance_ * 1e-6 + (std::fabs(p.x) + std::fabs(p.y)) * 1e-15;
    const double reach = distance_ + margin;
    const std::int64_t x0 = CellIndex(p.x - reach), x1 = CellIndex(p.x + reach);
    const std::int64_t y0 = CellIndex(p.y - reach), y1 = CellIndex(p.y + reach);
    const double limit = distance_ * distance_;
    for (std::int64_t x = x0; x <= x1; ++x)
        for (std::int64_t y = y0; y <= y1; ++y) {
            for (std::uint32_t i = heads_->Find(geometry::CellKey(x, y)); i != Cells::kNone; i = next_[i])
                if (SquaredDistance2d(points_[i], p) <= limit) return true;
        }
    return false;
}

bool PointGrid::TestAndAdd(const Point2d& p) {
    if (AnyWithin(p)) return true;
    Add(p);
    return false;
}

}  // namespace geometry
