#include "snap_targets.h"

#include <algorithm>
#include <cmath>

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/view_window.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_circle.h"
#include "sight_check.h"

namespace cadastral {
namespace {

// More cells than this around one window and the host is asked instead.
constexpr std::int64_t kMostCells = 256;

// Far above the host's own tolerance (a millionth of a millionth of the coordinates), far below
// any distance a snap works with: what is decided here is decided by this much at least.
double Margin(double magnitude) { return 1e-7 + 1e-9 * magnitude; }

std::int64_t CellIndex(double value) {
    const double cell = std::floor(value);
    if (!(cell > -4e18)) return static_cast<std::int64_t>(-4e18);
    if (!(cell < 4e18)) return static_cast<std::int64_t>(4e18);
    return static_cast<std::int64_t>(cell);
}

std::uint64_t CellKey(std::int64_t x, std::int64_t y) {
    return static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(y);
}

bool Between(double value, double low, double high) { return value > low && value < high; }

}  // namespace

bool SnapTargets::Read(SnapTarget& target) const {
    drawingutil::Opened<AcDbEntity> entity(target.id, AcDb::kForRead);
    const AcDbCircle* circle = AsCircle(entity.get());
    if (circle == nullptr) return false;
    const AcGeVector3d normal = circle->normal();
    const AcGePoint3d centre = circle->center();
    // Lying flat, the circle's own coordinates are the drawing's: its data's base point is the
    // centre itself.
    target.base = centre;
    target.centre = {centre.x, centre.y};
    target.radius = circle->radius();
    return normal.x == 0.0 && normal.y == 0.0 && normal.z == 1.0 && std::isfinite(centre.x) &&
           std::isfinite(centre.y) && std::isfinite(centre.z) && std::isfinite(target.radius) &&
           target.radius > 0.0;
}

void SnapTargets::Load(const drawingutil::SelectionSet& features) {
    targets_.clear();
    byId_.clear();
    cells_.clear();
    AcGePoint3d viewLow, viewHigh;
    answers_ = GetViewWindow(viewLow, viewHigh);
    viewLow_ = {viewLow.x, viewLow.y};
    viewHigh_ = {viewHigh.x, viewHigh.y};
    SightCheck sight;
    const int count = features.Length();
    targets_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count && answers_; ++i) {
        ads_name entity;
        SnapTarget target;
        answers_ = features.At(i, entity, target.id) && sight.Shows(target.id) && Read(target);
        widest_ = std::max(widest_, target.radius);
        targets_.push_back(target);
    }
    if (!answers_) return;
    // Ids only name the targets here: any consistent order finds them.
    byId_.clear();
    byId_.reserve(targets_.size());
    for (std::size_t i = 0; i < targets_.size(); ++i) byId_.emplace_back(targets_[i].id, static_cast<int>(i));
    std::sort(byId_.begin(), byId_.end());
    cell_ = std::max(4.0 * widest_, 1e-3);
    for (std::size_t i = 0; i < targets_.size(); ++i) File(static_cast<int>(i));
}

std::uint64_t SnapTargets::CellOf(const geometry::Point2d& p) const {
    return CellKey(CellIndex(p.x / cell_), CellIndex(p.y / cell_));
}

void SnapTargets::File(int position) { cells_[CellOf(At(position).centre)].push_back(position); }

void SnapTargets::Unfile(int position) {
    const auto cell = cells_.find(CellOf(At(position).centre));
    if (cell != cells_.end()) std::erase(cell->second, position);
}

int SnapTargets::Find(AcDbObjectId id) const {
    const auto it = std::lower_bound(byId_.begin(), byId_.end(), std::make_pair(id, -1));
    return it != byId_.end() && it->first == id ? it->second : -1;
}

void SnapTargets::Reread(int position) {
    if (position < 0) return;
    if (!answers_) {
        Read(targets_[static_cast<std::size_t>(position)]);
        return;
    }
    Unfile(position);
    if (!Read(targets_[static_cast<std::size_t>(position)])) {
        answers_ = false;
        return;
    }
    File(position);
}

SnapTargets::Verdict SnapTargets::Classify(const SnapTarget& target, const geometry::Point2d& low,
                                           const geometry::Point2d& high) const {
    const geometry::Point2d& c = target.centre;
    const double r = target.radius;
    const double e = Margin(std::max({std::fabs(low.x), std::fabs(low.y), std::fabs(high.x), std::fabs(high.y),
                                      std::fabs(c.x) + r, std::fabs(c.y) + r}));
    // The box of the circle clear of the window: the host turns it away on the box alone.
    if (c.x + r < low.x - e || c.x - r > high.x + e || c.y + r < low.y - e || c.y - r > high.y + e)
        return Verdict::Out;
    // Taken, the host only sees it where its box lies in sight.
    const double seen = Margin(std::max(viewHigh_.x - viewLow_.x, viewHigh_.y - viewLow_.y)) + 1e-6 *
                        std::max(viewHigh_.x - viewLow_.x, viewHigh_.y - viewLow_.y);
    if (!(c.x - r > viewLow_.x + seen && c.x + r < viewHigh_.x - seen && c.y - r > viewLow_.y + seen &&
          c.y + r < viewHigh_.y - seen))
        return Verdict::Unsure;
    // Its box inside the window: taken on the box alone.
    if (c.x - r > low.x + e && c.x + r < high.x - e && c.y - r > low.y + e && c.y + r < high.y - e) return Verdict::In;
    if (!Between(c.x, low.x + e, high.x - e) || !Between(c.y, low.y + e, high.y - e)) return Verdict::Unsure;
    // The centre inside: taken when the circle plainly crosses a side away from its ends, or
    // touches it well within the host's tolerance (a circle drawn round the vertex with the
    // window's half side touches all four).
    const double magnitude = std::max({std::fabs(low.x), std::fabs(low.y), std::fabs(high.x), std::fabs(high.y),
                                       std::fabs(c.x) + r, std::fabs(c.y) + r});
    const double touch = 0.5 * std::max(AcGeContext::gTol.equalPoint(), 1e-12 * magnitude);
    auto crosses = [&](double distance, double along, double from, double to) {
        if (std::fabs(distance - r) <= touch) return true;
        if (!(distance < r - e)) return false;
        const double half = std::sqrt(r * r - distance * distance);
        return Between(along - half, from + e, to - e) || Between(along + half, from + e, to - e);
    };
    if (crosses(c.x - low.x, c.y, low.y, high.y) || crosses(high.x - c.x, c.y, low.y, high.y) ||
        crosses(c.y - low.y, c.x, low.x, high.x) || crosses(high.y - c.y, c.x, low.x, high.x))
        return Verdict::In;
    return Verdict::Unsure;
}

bool SnapTargets::Window(const geometry::Point2d& low, const geometry::Point2d& high, std::vector<int>& selected) const {
    selected.clear();
    if (!answers_ || !(low.x <= high.x && low.y <= high.y)) return false;
    // Every circle that could meet the window has its centre within this reach of it.
    const double magnitude = std::max({std::fabs(low.x), std::fabs(low.y), std::fabs(high.x), std::fabs(high.y)});
    const double reach = widest_ + 2.0 * Margin(magnitude + 2.0 * widest_);
    const std::int64_t x0 = CellIndex((low.x - reach) / cell_), x1 = CellIndex((high.x + reach) / cell_);
    const std::int64_t y0 = CellIndex((low.y - reach) / cell_), y1 = CellIndex((high.y + reach) / cell_);
    if (x1 - x0 >= kMostCells || y1 - y0 >= kMostCells || (x1 - x0 + 1) * (y1 - y0 + 1) > kMostCells) return false;
    for (std::int64_t x = x0; x <= x1; ++x) {
        for (std::int64_t y = y0; y <= y1; ++y) {
            const auto cell = cells_.find(CellKey(x, y));
            if (cell == cells_.end()) continue;
            for (int position : cell->second) {
                switch (Classify(At(position), low, high)) {
                case Verdict::Out:
                    break;
                case Verdict::In:
                    selected.push_back(position);
                    break;
                case Verdict::Unsure:
                    return false;
                }
            }
        }
    }
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    return true;
}

}  // namespace cadastral
