#include "cadastral/outline_grid.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/flat_frames.h"
#include "drawingutil/selection_ids.h"
#include "drawingutil/selection_reach.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

using drawingutil::Chain;
using drawingutil::Opened;
using drawingutil::ShownToSelection;
using drawingutil::SideMeetsBox;

// A side whose box spans more cells than this is looked at by every question instead.
constexpr std::int64_t kMostCells = 256;
// Sides of an outline as the lists are first sized.
constexpr std::size_t kUsualSides = 6;
// The margin, relative to the size of the coordinates and to the host's own tolerance, inside
// which a side is too close to the window's edges to call: far above the host's tolerance and
// the rounding of either side's arithmetic.
constexpr double kLeastMargin = 1e-6;
constexpr double kRelativeMargin = 1e-9;
constexpr double kToleranceMargin = 1000.0;

struct Box {
    AcGePoint2d low;
    AcGePoint2d high;
};

bool Empty(const Box& box) {
    return box.low.x > box.high.x || box.low.y > box.high.y;
}

bool Meets(const Box& a, const Box& b) {
    return a.low.x <= b.high.x && b.low.x <= a.high.x && a.low.y <= b.high.y && b.low.y <= a.high.y;
}

bool Holds(const Box& box, const AcGePoint2d& p) {
    return p.x >= box.low.x && p.x <= box.high.x && p.y >= box.low.y && p.y <= box.high.y;
}

Box Grown(const Box& box, double by) {
    return {{box.low.x - by, box.low.y - by}, {box.high.x + by, box.high.y + by}};
}

// Half the chord times the bulge: how far an arc side strays from its chord.
double Sagitta(const AcGePoint2d& a, const AcGePoint2d& b, double bulge) {
    return std::fabs(bulge) * a.distanceTo(b) / 2;
}

// The box a side stays in: its ends' box, and for an arc as far again as it strays from the chord.
Box BoxOfSide(const AcGePoint2d& a, const AcGePoint2d& b, double bulge) {
    Box box{{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}};
    return bulge == 0 ? box : Grown(box, Sagitta(a, b, bulge));
}

geometry::Extents AsExtents(const Box& box) {
    return {{box.low.x, box.low.y}, {box.high.x, box.high.y}};
}

double Magnitude(const AcGePoint2d& p) {
    return std::max(std::fabs(p.x), std::fabs(p.y));
}

bool Finite(const AcGePoint2d& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

SideTouch TouchOfSide(const AcGePoint2d& a, const AcGePoint2d& b, double bulge, const AcGePoint2d& low,
                      const AcGePoint2d& high, double margin) {
    const Box window{{std::min(low.x, high.x), std::min(low.y, high.y)},
                     {std::max(low.x, high.x), std::max(low.y, high.y)}};
    const Box reach = Grown(window, margin);
    const Box inner = Grown(window, -margin);
    const double chord = a.distanceTo(b);
    if (bulge == 0 || chord == 0) {
        if (!SideMeetsBox(a, b, reach.low, reach.high))
            return SideTouch::Apart;
        return !Empty(inner) && SideMeetsBox(a, b, inner.low, inner.high) ? SideTouch::Enters : SideTouch::Unsure;
    }
    if (!Meets(BoxOfSide(a, b, bulge), reach))
        return SideTouch::Apart;
    // The arc's circle: its centre lies off the chord's middle, to the left of the chord for an
    // arc turning counter-clockwise (positive bulge) through less than half a turn.
    const AcGeVector2d along((b.x - a.x) / chord, (b.y - a.y) / chord);
    const AcGePoint2d middle((a.x + b.x) / 2, (a.y + b.y) / 2);
    const double offset = chord * (1 - bulge * bulge) / (4 * bulge);
    const AcGePoint2d centre(middle.x - along.y * offset, middle.y + along.x * offset);
    const double radius = chord * (1 + bulge * bulge) / (4 * std::fabs(bulge));
    // The circle's arithmetic rounds by a share of its size.
    const double slack = margin + 1e-12 * (radius + Magnitude(centre));
    const double nearX = std::max({reach.low.x - centre.x, 0.0, centre.x - reach.high.x});
    const double nearY = std::max({reach.low.y - centre.y, 0.0, centre.y - reach.high.y});
    const double farX = std::max(std::fabs(reach.low.x - centre.x), std::fabs(reach.high.x - centre.x));
    const double farY = std::max(std::fabs(reach.low.y - centre.y), std::fabs(reach.high.y - centre.y));
    if (std::hypot(nearX, nearY) > radius + slack || std::hypot(farX, farY) < radius - slack)
        return SideTouch::Apart;
    if (Empty(inner))
        return SideTouch::Unsure;
    // Points of the arc: its ends, its middle (off the chord by the sagitta), and the point of its
    // circle nearest the window's middle when that lies clearly on the arc's side of the chord.
    const double side = bulge > 0 ? -1 : 1;  // sign of the cross product for the arc's side
    const double sagitta = Sagitta(a, b, bulge);
    const AcGePoint2d top(middle.x - along.y * side * sagitta, middle.y + along.x * side * sagitta);
    if (Holds(inner, a) || Holds(inner, b) || Holds(inner, top))
        return SideTouch::Enters;
    const AcGePoint2d aim((window.low.x + window.high.x) / 2, (window.low.y + window.high.y) / 2);
    const double away = centre.distanceTo(aim);
    if (away > 0) {
        const AcGePoint2d near(centre.x + (aim.x - centre.x) * radius / away,
                               centre.y + (aim.y - centre.y) * radius / away);
        const double cross = along.x * (near.y - a.y) - along.y * (near.x - a.x);
        if (cross * side > slack && Holds(inner, near))
            return SideTouch::Enters;
    }
    return SideTouch::Unsure;
}

OutlineGrid::OutlineGrid(double cell) : grid_(cell, kMostCells) {
    // Named, not matched by a wildcard: the two names are the only ones of lightweight and old-style
    // polylines, and a name is compared much faster than matched.
    Chain filter(acutBuildList(RTDXF0, "LWPOLYLINE,POLYLINE", RTNONE));
    std::vector<AcDbObjectId> ids;
    if (!drawingutil::AppendSelectedIds("X", nullptr, nullptr, filter.get(), ids))
        return;
    const auto expected = ids.size() * kUsualSides;
    points_.reserve(expected);
    bulges_.reserve(expected);
    owner_.reserve(expected);
    grid_.Reserve(2 * expected);
    for (AcDbObjectId id : ids)
        Read(id);
    grid_.Seal();
}

void OutlineGrid::Read(AcDbObjectId id) {
    Opened<AcDbEntity> entity(id, AcDb::kForRead);
    // Only closed polylines of the current space can be outlines a crossing selection gives.
    if (!entity || !drawingutil::InCurrentSpace(*entity.get()))
        return;
    AcDbPolyline* lw = AsPolyline(entity.get());
    AcDb2dPolyline* poly = lw == nullptr ? As2dPolyline(entity.get()) : nullptr;
    if ((lw == nullptr || !lw->isClosed()) && (poly == nullptr || !poly->isClosed()))
        return;
    const auto index = static_cast<std::uint32_t>(outlines_.size());
    const auto first = static_cast<std::uint32_t>(points_.size());
    bool read = drawingutil::ReadFlatFrame(entity.get(), points_, bulges_);
    for (std::size_t k = first; read && k < points_.size(); ++k)
        read = Finite(points_[k]) && std::isfinite(bulges_[k]);
    if (!read) {
        points_.resize(first);
        bulges_.resize(first);
        // Known by its box only: any window near it goes to the host, as does every window for
        // an outline whose coordinates are no numbers.
        AcDbExtents extents;
        if (entity->getGeomExtents(extents) != Acad::eOk || extents.isEmpty())
            return;
        outlines_.push_back({id, ShownToSelection(*entity.get()), true, first, 2});
        AcGePoint2d low(extents.minPoint().x, extents.minPoint().y), high(extents.maxPoint().x, extents.maxPoint().y);
        if (!Finite(low) || !Finite(high)) {
            constexpr double kAll = std::numeric_limits<double>::max();
            low.set(-kAll, -kAll);
            high.set(kAll, kAll);
        }
        AddBox(index, low, high);
        return;
    }
    const auto n = static_cast<std::uint32_t>(points_.size() - first);
    outlines_.push_back({id, ShownToSelection(*entity.get()), false, first, n});
    owner_.resize(points_.size(), index);
    for (std::uint32_t v = first; v < first + n; ++v) {
        magnitude_ = std::max(magnitude_, Magnitude(points_[v]));
        AddSide(v);
    }
}

void OutlineGrid::AddBox(std::uint32_t outline, const AcGePoint2d& low, const AcGePoint2d& high) {
    points_.push_back(low);
    points_.push_back(high);
    bulges_.resize(points_.size(), 0.0);
    owner_.resize(points_.size(), outline);
    magnitude_ = std::max({magnitude_, Magnitude(low), Magnitude(high)});
    AddSide(outlines_[outline].first);
}

std::uint32_t OutlineGrid::Next(std::uint32_t vertex) const {
    const Outline& outline = outlines_[owner_[vertex]];
    return vertex + 1 < outline.first + outline.count ? vertex + 1 : outline.first;
}

void OutlineGrid::AddSide(std::uint32_t vertex) {
    const Outline& outline = outlines_[owner_[vertex]];
    const Box box = outline.boxOnly ? Box{points_[vertex], points_[vertex + 1]}
                                    : BoxOfSide(points_[vertex], points_[Next(vertex)], bulges_[vertex]);
    grid_.Add(AsExtents(box), vertex);
}

bool OutlineGrid::Crossing(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& viewLow,
                           const AcGePoint2d& viewHigh, AcDbObjectId passed,
                           std::vector<AcDbObjectId>& selected) const {
    selected.clear();
    const double margin =
        std::max({kLeastMargin, kToleranceMargin * AcGeContext::gTol.equalPoint(),
                  kRelativeMargin * std::max({magnitude_, Magnitude(low), Magnitude(high)})});
    const Box window{{std::min(low.x, high.x), std::min(low.y, high.y)},
                     {std::max(low.x, high.x), std::max(low.y, high.y)}};
    const Box reach = Grown(window, margin);
    // The host clips the window to the view: only a window well inside it is answered here.
    const Box view = Grown(Box{viewLow, viewHigh}, -margin);
    if (!std::isfinite(margin) || Empty(view) || !Holds(view, reach.low) || !Holds(view, reach.high))
        return false;

    // The sides near the window; the outlines entering it take their places from the front, one
    // question's list serving both.
    std::vector<std::uint32_t> entered;
    if (!grid_.Find(AsExtents(reach), entered))
        return false;
    std::vector<std::uint32_t> doubtful;
    std::size_t enteredCount = 0;
    for (std::size_t k = 0; k < entered.size(); ++k) {
        const std::uint32_t vertex = entered[k];
        const std::uint32_t index = owner_[vertex];
        const Outline& outline = outlines_[index];
        if (outline.id == passed)
            continue;
        SideTouch touch =
            outline.boxOnly
                ? (Meets(Box{points_[vertex], points_[vertex + 1]}, reach) ? SideTouch::Unsure : SideTouch::Apart)
                : TouchOfSide(points_[vertex], points_[Next(vertex)], bulges_[vertex], low, high, margin);
        // A hidden outline near the window is left to the host to judge.
        if (touch == SideTouch::Enters && outline.shown)
            entered[enteredCount++] = index;
        else if (touch != SideTouch::Apart)
            doubtful.push_back(index);
    }
    entered.resize(enteredCount);
    std::sort(entered.begin(), entered.end());
    entered.erase(std::unique(entered.begin(), entered.end()), entered.end());
    // An outline entering the window is taken whatever its other sides do; one that only comes
    // close is for the host to judge.
    for (std::uint32_t outline : doubtful)
        if (!std::binary_search(entered.begin(), entered.end(), outline))
            return false;
    for (std::uint32_t outline : entered)
        selected.push_back(outlines_[outline].id);
    return true;
}

}  // namespace cadastral
