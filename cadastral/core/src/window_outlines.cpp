#include "cadastral/window_outlines.h"

#include <algorithm>
#include <cmath>

#include "cadastral/outline_boxes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_ids.h"
#include "drawingutil/selection_reach.h"
#include "platform/cad/db_entity.h"

namespace cadastral {
namespace {

using drawingutil::Opened;
using drawingutil::ShownToSelection;

// Whether a side of the polygon comes within the margin of the box from low to high.
bool SideNearBox(const AcGePoint2dArray& polygon, const AcGePoint2d& low, const AcGePoint2d& high, double margin) {
    const AcGePoint2d wideLow(low.x - margin, low.y - margin), wideHigh(high.x + margin, high.y + margin);
    const int n = polygon.length();
    for (int i = 0; i < n; ++i)
        if (drawingutil::SideMeetsBox(polygon[i], polygon[(i + 1) % n], wideLow, wideHigh))
            return true;
    return false;
}

// Whether the point lies inside the polygon, by the polygon's winding number around it. The
// caller asks only for points well away from every side, where no rounding can tip the count.
bool WoundAround(const AcGePoint2d& point, const AcGePoint2dArray& polygon) {
    int winding = 0;
    const int n = polygon.length();
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& a = polygon[i];
        const AcGePoint2d& b = polygon[(i + 1) % n];
        const double side = (b.x - a.x) * (point.y - a.y) - (point.x - a.x) * (b.y - a.y);
        if (a.y <= point.y && b.y > point.y && side > 0)
            ++winding;
        else if (a.y > point.y && b.y <= point.y && side < 0)
            --winding;
    }
    return winding != 0;
}

// Where a box lies against the polygon, when the polygon's sides keep clear of it: inside when a
// corner lies inside the polygon, apart when a corner lies outside and the polygon does not
// reach into the box either; unclear otherwise.
enum class BoxPlace { Inside, Apart, Unclear };
BoxPlace PlaceOfBox(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2dArray& polygon,
                    double margin) {
    if (SideNearBox(polygon, low, high, margin))
        return BoxPlace::Unclear;
    if (WoundAround(low, polygon))
        return BoxPlace::Inside;
    // With no side near it, the polygon lies wholly in the box or wholly out of it.
    const AcGePoint2d& corner = polygon[0];
    if (corner.x >= low.x && corner.x <= high.x && corner.y >= low.y && corner.y <= high.y)
        return BoxPlace::Unclear;
    return BoxPlace::Apart;
}

}  // namespace

WindowOutlines::WindowOutlines(double cell, const std::function<bool(const ads_name)>& isOutline)
    : grid_(cell, kMostOutlineCells) {
    std::vector<AcDbObjectId> ids;
    drawingutil::AppendSelectedIds("X", nullptr, nullptr, nullptr, ids, isOutline);
    for (AcDbObjectId id : ids)
        Read(id);
    Seal();
}

WindowOutlines::WindowOutlines(double cell, const std::vector<AcDbObjectId>& outlines)
    : grid_(cell, kMostOutlineCells) {
    outlines_.reserve(outlines.size());
    for (AcDbObjectId id : outlines)
        Read(id);
    Seal();
}

void WindowOutlines::Seal() {
    grid_.Seal();
    ids_.reserve(outlines_.size());
    for (const Outline& outline : outlines_)
        ids_.push_back(outline.id);
    std::sort(ids_.begin(), ids_.end());
}

bool WindowOutlines::Holds(AcDbObjectId id) const {
    return std::binary_search(ids_.begin(), ids_.end(), id);
}

void WindowOutlines::Read(AcDbObjectId id) {
    Opened<AcDbEntity> entity(id, AcDb::kForRead);
    if (!entity)
        return;
    // A graphical selection takes only what is shown, of the current space, with extents.
    Outline entry{id, {}, {}};
    if (!drawingutil::InCurrentSpace(*entity.get()) || !ShownToSelection(*entity.get()) ||
        OutlineBoxOf(*entity.get(), entry.low, entry.high) == OutlineBox::None)
        return;
    magnitude_ = std::max({magnitude_, PointMagnitude(entry.low), PointMagnitude(entry.high)});
    const auto index = static_cast<std::uint32_t>(outlines_.size());
    outlines_.push_back(entry);
    grid_.Add(ExtentsOf(entry.low, entry.high), index);
}

bool WindowOutlines::WindowPolygon(const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                                  const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected) const {
    selected.clear();
    if (polygon.length() < 3)
        return false;
    AcGePoint2d low = polygon[0], high = polygon[0];
    double magnitude = magnitude_;
    for (int i = 0; i < polygon.length(); ++i) {
        const AcGePoint2d& p = polygon[i];
        if (!FinitePoint(p))
            return false;
        low.set(std::min(low.x, p.x), std::min(low.y, p.y));
        high.set(std::max(high.x, p.x), std::max(high.y, p.y));
        magnitude = std::max(magnitude, PointMagnitude(p));
    }
    const double margin = drawingutil::ClearMargin(magnitude);
    // The selection looks only inside the view: the polygon must lie clearly inside it.
    if (!std::isfinite(margin) || !drawingutil::BoxClearlyInside(low, high, viewLow, viewHigh, margin))
        return false;

    std::vector<std::uint32_t> near;
    if (!grid_.Find(ExtentsOf({low.x - margin, low.y - margin}, {high.x + margin, high.y + margin}), near))
        return false;
    for (std::uint32_t index : near) {
        const Outline& entry = outlines_[index];
        if (drawingutil::BoxesClearlyApart(entry.low, entry.high, low, high, margin))
            continue;
        const BoxPlace place = PlaceOfBox(entry.low, entry.high, polygon, margin);
        if (place == BoxPlace::Apart)
            continue;
        // Two or more taken come in the order the host's selection gives them.
        if (place == BoxPlace::Unclear || !selected.empty() ||
            !drawingutil::BoxClearlyInside(entry.low, entry.high, low, high, margin)) {
            selected.clear();
            return false;
        }
        selected.push_back(entry.id);
    }
    return true;
}

}  // namespace cadastral
