#include "cadastral/outline_grid.h"

#include <algorithm>
#include <cmath>

#include "cadastral/outline_boxes.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_ids.h"
#include "drawingutil/selection_reach.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

using drawingutil::BoxClearlyInside;
using drawingutil::BoxesClearlyApart;
using drawingutil::Chain;
using drawingutil::Opened;

}  // namespace

OutlineGrid::OutlineGrid(double cell) : grid_(cell, kMostOutlineCells) {
    // Named, not matched by a wildcard: the two names are the only ones of lightweight and old-style
    // polylines, and a name is compared much faster than matched.
    Chain filter(acutBuildList(RTDXF0, "LWPOLYLINE,POLYLINE", RTNONE));
    std::vector<AcDbObjectId> ids;
    if (!drawingutil::AppendSelectedIds("X", nullptr, nullptr, filter.get(), ids))
        return;
    outlines_.reserve(ids.size());
    grid_.Reserve(2 * ids.size());
    for (AcDbObjectId id : ids)
        Read(id);
    grid_.Seal();
}

void OutlineGrid::Read(AcDbObjectId id) {
    Opened<AcDbEntity> entity(id, AcDb::kForRead);
    // Only closed polylines of the current space that have a box can be outlines a crossing
    // selection gives.
    if (!entity || !drawingutil::InCurrentSpace(*entity.get()))
        return;
    AcDbPolyline* lw = AsPolyline(entity.get());
    AcDb2dPolyline* poly = lw == nullptr ? As2dPolyline(entity.get()) : nullptr;
    if ((lw == nullptr || !lw->isClosed()) && (poly == nullptr || !poly->isClosed()))
        return;
    Outline outline{id, {}, {}, drawingutil::ShownToSelection(*entity.get())};
    const OutlineBox box = OutlineBoxOf(*entity.get(), outline.low, outline.high);
    if (box == OutlineBox::None)
        return;
    // (A box over the whole plane does not widen the margin: the host judges every window near it.)
    if (box == OutlineBox::Measured)
        magnitude_ = std::max({magnitude_, PointMagnitude(outline.low), PointMagnitude(outline.high)});
    grid_.Add(ExtentsOf(outline.low, outline.high), static_cast<std::uint32_t>(outlines_.size()));
    outlines_.push_back(outline);
}

bool OutlineGrid::Crossing(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& viewLow,
                           const AcGePoint2d& viewHigh, AcDbObjectId passed,
                           std::vector<AcDbObjectId>& selected) const {
    selected.clear();
    const AcGePoint2d windowLow(std::min(low.x, high.x), std::min(low.y, high.y));
    const AcGePoint2d windowHigh(std::max(low.x, high.x), std::max(low.y, high.y));
    const double margin = drawingutil::ClearMargin(std::max({magnitude_, PointMagnitude(low), PointMagnitude(high)}));
    // The host sees only what lies in the view: the window must lie well inside it.
    if (!std::isfinite(margin) || !BoxClearlyInside(windowLow, windowHigh, viewLow, viewHigh, margin))
        return false;
    std::vector<std::uint32_t> near;
    const AcGePoint2d reachLow(windowLow.x - margin, windowLow.y - margin);
    const AcGePoint2d reachHigh(windowHigh.x + margin, windowHigh.y + margin);
    if (!grid_.Find(ExtentsOf(reachLow, reachHigh), near))
        return false;
    const Outline* taken = nullptr;
    for (std::uint32_t index : near) {
        const Outline& outline = outlines_[index];
        if (outline.id == passed || BoxesClearlyApart(outline.low, outline.high, windowLow, windowHigh, margin))
            continue;
        // A shown outline wholly within the window is taken. Any other near the window may or may
        // not be, which only the host can tell; and of two taken, the host gives the order.
        if (taken != nullptr || !outline.shown ||
            !BoxClearlyInside(outline.low, outline.high, windowLow, windowHigh, margin))
            return false;
        taken = &outline;
    }
    if (taken != nullptr)
        selected.push_back(taken->id);
    return true;
}

}  // namespace cadastral
