#include "gisexchange/entity_boxes.h"

#include <algorithm>
#include <cmath>

#include "drawingutil/host_objects.h"
#include "drawingutil/selection_reach.h"
#include "gisexchange/cell_index.h"
#include "platform/cad/db_entity.h"

namespace gisexchange {
namespace {

// A box over more cells than this is looked at by every question instead of being filed.
constexpr std::int64_t kMostCellsOfBox = 64;
// A question over more cells than this looks at every box instead.
constexpr std::int64_t kMostCellsOfQuestion = 256;

bool MeasureEntity(AcDbObjectId id, PlainBox& box)
{
    drawingutil::Opened<AcDbEntity> entity(id, AcDb::kForRead);
    AcDbExtents extents;
    if (!entity || entity->getGeomExtents(extents) != Acad::eOk || extents.isEmpty())
        return false;
    box.low = {extents.minPoint().x, extents.minPoint().y};
    box.high = {extents.maxPoint().x, extents.maxPoint().y};
    return !box.IsEmpty();
}

double Magnitude(const PlainBox& box)
{
    return std::max({std::fabs(box.low.x), std::fabs(box.low.y), std::fabs(box.high.x), std::fabs(box.high.y)});
}

// How many cells a run from low to high covers; 0 for none or too many to count.
std::int64_t CellsAcross(std::int64_t low, std::int64_t high)
{
    if (high < low || high - low >= kMostCellsOfQuestion)
        return 0;
    return high - low + 1;
}

}  // namespace

void PlainBox::Include(const AcGePoint2d& p)
{
    if (IsEmpty()) {
        low = high = p;
        return;
    }
    low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    high = {std::max(high.x, p.x), std::max(high.y, p.y)};
}

void PlainBox::Expand(double margin)
{
    if (IsEmpty())
        return;
    low = {low.x - margin, low.y - margin};
    high = {high.x + margin, high.y + margin};
}

PlainBox BoxOfPoints(const AcGePoint2dArray& points)
{
    PlainBox box;
    for (int i = 0; i < points.length(); ++i)
        box.Include(points[i]);
    return box;
}

EntityBoxes::EntityBoxes(const std::vector<AcDbObjectId>& ids)
{
    ids_.reserve(ids.size());
    boxes_.reserve(ids.size());
    double sizes = 0;
    for (AcDbObjectId id : ids) {
        PlainBox box;
        if (!MeasureEntity(id, box)) {
            unmeasured_.push_back(id);
            continue;
        }
        ids_.push_back(id);
        boxes_.push_back(box);
        magnitude_ = std::max(magnitude_, Magnitude(box));
        const double size = std::max(box.high.x - box.low.x, box.high.y - box.low.y);
        if (std::isfinite(size))
            sizes += size;
    }
    // Cells twice as wide as an average box: most boxes cover one to four cells, most questions
    // ask a few.
    if (!boxes_.empty() && sizes > 0 && std::isfinite(sizes))
        cell_ = std::max(2 * sizes / static_cast<double>(boxes_.size()), 1e-3);
    for (std::uint32_t k = 0; k < boxes_.size(); ++k) {
        const PlainBox& box = boxes_[k];
        const std::int64_t x0 = CellIndex(box.low.x, cell_), x1 = CellIndex(box.high.x, cell_);
        const std::int64_t y0 = CellIndex(box.low.y, cell_), y1 = CellIndex(box.high.y, cell_);
        if (x1 - x0 >= kMostCellsOfBox || y1 - y0 >= kMostCellsOfBox || (x1 - x0 + 1) * (y1 - y0 + 1) > kMostCellsOfBox) {
            wide_.push_back(k);
            continue;
        }
        for (std::int64_t x = x0; x <= x1; ++x)
            for (std::int64_t y = y0; y <= y1; ++y)
                cells_.push_back({x, y, k});
    }
    // By cell alone: the questions ask whether any box of a cell answers, in no order.
    std::sort(cells_.begin(), cells_.end(), CellBefore);
}

bool EntityBoxes::AnyUnmeasuredBut(AcDbObjectId self) const
{
    return std::any_of(unmeasured_.begin(), unmeasured_.end(), [&](AcDbObjectId id) { return id != self; });
}

template <typename Takes>
bool EntityBoxes::AnyOther(const PlainBox& window, AcDbObjectId self, Takes takes) const
{
    if (AnyUnmeasuredBut(self))
        return true;
    if (window.IsEmpty() || boxes_.empty())
        return false;
    const double margin = drawingutil::ClearMargin(std::max(magnitude_, Magnitude(window)));
    auto mayTake = [&](std::uint32_t k) {
        const PlainBox& box = boxes_[k];
        return ids_[k] != self && !drawingutil::BoxesClearlyApart(box.low, box.high, window.low, window.high, margin) &&
               takes(box, margin);
    };
    // Every box that is not clearly apart from the window touches the window widened by the margin.
    PlainBox reach = window;
    reach.Expand(margin);
    const std::int64_t x0 = CellIndex(reach.low.x, cell_), x1 = CellIndex(reach.high.x, cell_);
    const std::int64_t y0 = CellIndex(reach.low.y, cell_), y1 = CellIndex(reach.high.y, cell_);
    const std::int64_t across = CellsAcross(x0, x1), up = CellsAcross(y0, y1);
    if (across == 0 || up == 0 || across * up > kMostCellsOfQuestion) {
        for (std::uint32_t k = 0; k < boxes_.size(); ++k)
            if (mayTake(k))
                return true;
        return false;
    }
    for (std::uint32_t k : wide_)
        if (mayTake(k))
            return true;
    for (std::int64_t x = x0; x <= x1; ++x) {
        const auto from = std::lower_bound(cells_.begin(), cells_.end(), Cell{x, y0, 0}, CellBefore);
        for (auto it = from; it != cells_.end() && it->x == x && it->y <= y1; ++it)
            if (mayTake(it->entity))
                return true;
    }
    return false;
}

bool EntityBoxes::MayTakeOther(const PlainBox& window, AcDbObjectId self) const
{
    return AnyOther(window, self, [](const PlainBox&, double) { return true; });
}

bool EntityBoxes::MayTakeOtherWithin(const PlainBox& window, AcDbObjectId self) const
{
    return AnyOther(window, self, [&](const PlainBox& box, double margin) {
        return !drawingutil::BoxClearlyOutOf(box.low, box.high, window.low, window.high, margin);
    });
}

}  // namespace gisexchange
