#include "fusable_outlines.h"

#include <algorithm>
#include <cmath>

#include "cadastral/region_selection.h"
#include "drawingutil/selection_reach.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/view_window.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/polyline_closed_flag.h"
#include "platform/cad/ads_entity.h"
#include "sight_check.h"

namespace cadastral {
namespace {

// A window larger than any drawing: the crossing selection then takes all the view shows.
constexpr double kEverywhere = 1e300;
// The tree's boxes are this much wider than the outlines, so that the small moves of a fusion
// seldom take an outline out of its box.
constexpr double kIndexMargin = 1.0;

}  // namespace

geometry::Extents BulgePolylineBox(const geometry::PointList& points, const geometry::DoubleList& bulges, bool closed) {
    geometry::Extents box = geometry::PointsExtents(points);
    const std::size_t n = points.size();
    const std::size_t segments = closed ? n : (n == 0 ? 0 : n - 1);
    double widest = 0.0;
    for (std::size_t i = 0; i < segments && i < bulges.size(); ++i) {
        if (bulges[i] == 0.0) continue;
        const geometry::Point2d& a = points[i];
        const geometry::Point2d& b = points[(i + 1) % n];
        // The sagitta is bulge times half the chord; the arc stays within it of the chord's box
        // (the circle of a major arc is no wider than its sagitta either).
        const double sagitta = std::fabs(bulges[i]) * 0.5 * std::hypot(b.x - a.x, b.y - a.y);
        if (std::isfinite(sagitta)) widest = std::max(widest, sagitta);
        else widest = HUGE_VAL;
    }
    box.Expand(widest);
    return box;
}

void FusableOutlines::Read(FusableOutline& outline) const {
    ads_name name;
    outline.points.clear();
    outline.bulges.clear();
    outline.readable = acdbGetAdsName(name, outline.id) == Acad::eOk &&
                       geometry::ReadEntityVerticesByName(name, outline.points, outline.bulges) &&
                       !outline.points.empty();
    outline.box = outline.readable ? BulgePolylineBox(outline.points, outline.bulges, outline.closed)
                                   : geometry::Extents{};
}

void FusableOutlines::Load(const resbuf* filter, const char* codePatterns, const drawingutil::SelectionSet* all) {
    outlines_.clear();
    indexed_.clear();
    overlay_.clear();
    if (all == nullptr || !TakeAllInSight(*all)) TakeWindow(filter, codePatterns);
    indexed_.reserve(outlines_.size());
    for (const FusableOutline& outline : outlines_) {
        geometry::Extents box = outline.box;
        box.Expand(kIndexMargin);
        indexed_.push_back(box);
    }
    tree_ = std::make_unique<geometry::BoxIndex>(indexed_);
    // Ids only name the outlines here: any consistent order finds them.
    byId_.clear();
    byId_.reserve(outlines_.size());
    for (std::size_t i = 0; i < outlines_.size(); ++i) byId_.emplace_back(outlines_[i].id, static_cast<int>(i));
    std::sort(byId_.begin(), byId_.end());
    outgrown_.assign(outlines_.size(), 0);
}

void FusableOutlines::Take(const ads_name entity, AcDbObjectId id) {
    FusableOutline outline;
    outline.id = id;
    outline.closed = geometry::IsPolylineClosed(entity);
    Read(outline);
    outlines_.push_back(std::move(outline));
}

void FusableOutlines::TakeWindow(const resbuf* filter, const char* codePatterns) {
    drawingutil::SelectionSet found;
    if (!SelectByMode(found.Fill(), "c", AcGePoint3d(-kEverywhere, -kEverywhere, 0.0),
                      AcGePoint3d(kEverywhere, kEverywhere, 0.0), filter, codePatterns, false))
        found.Drop();
    const int count = found.Length();
    outlines_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (found.At(i, entity, id)) Take(entity, id);
    }
}

bool FusableOutlines::TakeAllInSight(const drawingutil::SelectionSet& all) {
    AcGePoint3d low, high;
    if (!GetViewWindow(low, high)) return false;
    const double margin = drawingutil::ClearMargin(
        std::max({std::fabs(low.x), std::fabs(low.y), std::fabs(high.x), std::fabs(high.y)}));
    const int count = all.Length();
    outlines_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!all.At(i, entity, id) || !InSight(id)) break;
        Take(entity, id);
        // Drawn somewhere with room to spare inside the view, the crossing window takes it.
        const geometry::Extents& box = outlines_.back().box;
        if (!outlines_.back().readable || !(box.max.x > box.min.x || box.max.y > box.min.y) ||
            !drawingutil::BoxClearlyInside(AcGePoint2d(box.min.x, box.min.y), AcGePoint2d(box.max.x, box.max.y),
                                           AcGePoint2d(low.x, low.y), AcGePoint2d(high.x, high.y), margin))
            break;
    }
    if (outlines_.size() == static_cast<std::size_t>(count)) return true;
    outlines_.clear();
    return false;
}

int FusableOutlines::Find(AcDbObjectId id) const {
    const auto it = std::lower_bound(byId_.begin(), byId_.end(), std::make_pair(id, -1));
    return it != byId_.end() && it->first == id ? it->second : -1;
}

void FusableOutlines::Near(const geometry::Point2d& p, double half, std::vector<int>& positions) const {
    positions.clear();
    geometry::Extents square;
    square.Include(p);
    square.Expand(half);
    std::vector<std::uint32_t> hits;
    if (tree_) tree_->Query(square, hits);
    for (std::uint32_t hit : hits)
        if (!outgrown_[hit] && geometry::ExtentsTouch(outlines_[hit].box, square)) positions.push_back(static_cast<int>(hit));
    for (int position : overlay_)
        if (geometry::ExtentsTouch(outlines_[static_cast<std::size_t>(position)].box, square))
            positions.push_back(position);
    std::sort(positions.begin(), positions.end());
}

void FusableOutlines::Reread(AcDbObjectId id) {
    const int position = Find(id);
    if (position < 0) return;
    const auto at = static_cast<std::size_t>(position);
    Read(outlines_[at]);
    const geometry::Extents& box = outlines_[at].box;
    const geometry::Extents& held = indexed_[at];
    const bool inside = box.IsEmpty() || (box.min.x >= held.min.x && box.min.y >= held.min.y &&
                                          box.max.x <= held.max.x && box.max.y <= held.max.y);
    if (!inside && !outgrown_[at]) {
        outgrown_[at] = 1;
        overlay_.push_back(position);
    }
}

}  // namespace cadastral
