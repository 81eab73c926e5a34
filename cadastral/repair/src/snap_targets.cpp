#include "snap_targets.h"

#include <algorithm>
#include <cmath>

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_reach.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/view_window.h"
#include "geometry/cell_grid.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_circle.h"
#include "sight_check.h"

namespace cadastral {
namespace {

using geometry::CellIndex;
using geometry::CellKey;

// More cells than this around one window and the host is asked instead.
constexpr std::int64_t kMostCells = 256;

AcGePoint2d Corner(const geometry::Point2d& p) { return AcGePoint2d(p.x, p.y); }

double Magnitude(const geometry::Point2d& low, const geometry::Point2d& high) {
    return std::max({std::fabs(low.x), std::fabs(low.y), std::fabs(high.x), std::fabs(high.y)});
}

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
    widest_ = 0.0;
    AcGePoint3d viewLow, viewHigh;
    answers_ = GetViewWindow(viewLow, viewHigh);
    viewLow_ = {viewLow.x, viewLow.y};
    viewHigh_ = {viewHigh.x, viewHigh.y};
    const int count = features.Length();
    targets_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count && answers_; ++i) {
        ads_name entity;
        SnapTarget target;
        answers_ = features.At(i, entity, target.id) && InSight(target.id) && Read(target);
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
    return CellKey(CellIndex(p.x, cell_), CellIndex(p.y, cell_));
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

bool SnapTargets::Window(const geometry::Point2d& low, const geometry::Point2d& high, std::vector<int>& selected) const {
    selected.clear();
    if (!answers_ || !(low.x <= high.x && low.y <= high.y)) return false;
    // The host's window sees only what the view shows: near the view's edge it is the host's.
    if (!drawingutil::BoxClearlyInside(Corner(low), Corner(high), Corner(viewLow_), Corner(viewHigh_),
                                       drawingutil::ClearMargin(Magnitude(viewLow_, viewHigh_))))
        return false;
    // Every circle whose box comes within the margin of the window has its centre within this
    // reach of it; the margin holds for every coordinate of such a circle.
    const double margin = drawingutil::ClearMargin(Magnitude(low, high) + 2.0 * widest_);
    const double reach = widest_ + 2.0 * margin;
    const std::int64_t x0 = CellIndex(low.x - reach, cell_), x1 = CellIndex(high.x + reach, cell_);
    const std::int64_t y0 = CellIndex(low.y - reach, cell_), y1 = CellIndex(high.y + reach, cell_);
    if (x1 - x0 >= kMostCells || y1 - y0 >= kMostCells || (x1 - x0 + 1) * (y1 - y0 + 1) > kMostCells) return false;
    for (std::int64_t x = x0; x <= x1; ++x) {
        for (std::int64_t y = y0; y <= y1; ++y) {
            const auto cell = cells_.find(CellKey(x, y));
            if (cell == cells_.end()) continue;
            for (int position : cell->second) {
                if (!selected.empty() && selected.front() == position) continue;  // cells sharing a key
                const SnapTarget& target = At(position);
                const AcGePoint2d boxLow(target.centre.x - target.radius, target.centre.y - target.radius);
                const AcGePoint2d boxHigh(target.centre.x + target.radius, target.centre.y + target.radius);
                if (drawingutil::BoxesClearlyApart(boxLow, boxHigh, Corner(low), Corner(high), margin)) continue;
                // A circle reaching across the window's edge may or may not cross it; a second
                // one taken needs the host's order.
                if (!drawingutil::BoxClearlyInside(boxLow, boxHigh, Corner(low), Corner(high), margin) ||
                    !selected.empty()) {
                    selected.clear();
                    return false;
                }
                selected.push_back(position);
            }
        }
    }
    return true;
}

}  // namespace cadastral
