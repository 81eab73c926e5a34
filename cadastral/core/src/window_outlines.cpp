#include "cadastral/window_outlines.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "drawingutil/entity_types.h"
#include "drawingutil/flat_frames.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_ids.h"
#include "drawingutil/selection_reach.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

using drawingutil::Opened;
using drawingutil::ReadFlatFrame;
using drawingutil::ShownToSelection;

// An outline whose box spans more cells than this is looked at by every question instead.
constexpr std::int64_t kMostCells = 256;
// The margin, relative to the size of the coordinates and to the host's own tolerance, inside
// which a point or side is too close to the polygon's sides to call: far above the host's
// tolerance and the rounding of either side's arithmetic.
constexpr double kLeastMargin = 1e-6;
constexpr double kRelativeMargin = 1e-9;
constexpr double kToleranceMargin = 1000.0;
// The rounding of a cross product, relative to the product of the lengths it multiplies.
constexpr double kCrossRounding = 1e-12;

double Magnitude(const AcGePoint2d& p) {
    return std::max(std::fabs(p.x), std::fabs(p.y));
}

bool Finite(const AcGePoint2d& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

double Cross(const AcGePoint2d& o, const AcGePoint2d& a, const AcGePoint2d& b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

double DistanceToSide(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Whether c and d lie clearly on one side of the line through a and b.
bool OneSide(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& c, const AcGePoint2d& d) {
    const double length = a.distanceTo(b);
    const double first = Cross(a, b, c), second = Cross(a, b, d);
    return std::fabs(first) > kCrossRounding * length * a.distanceTo(c) &&
           std::fabs(second) > kCrossRounding * length * a.distanceTo(d) && (first > 0) == (second > 0);
}

// Whether the sides a-b and c-d stay farther apart than the margin. Sides that do not meet are
// nearest at an end of one of them.
bool SidesClear(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& c, const AcGePoint2d& d,
                double margin) {
    if (std::max(a.x, b.x) + margin < std::min(c.x, d.x) ||
        std::max(c.x, d.x) + margin < std::min(a.x, b.x) ||
        std::max(a.y, b.y) + margin < std::min(c.y, d.y) || std::max(c.y, d.y) + margin < std::min(a.y, b.y))
        return true;
    if (DistanceToSide(a, c, d) <= margin || DistanceToSide(b, c, d) <= margin ||
        DistanceToSide(c, a, b) <= margin || DistanceToSide(d, a, b) <= margin)
        return false;
    return OneSide(a, b, c, d) || OneSide(c, d, a, b);
}

// The host's test of a point against a polygon: the crossing number of a ray to the right.
bool InsidePolygon(const AcGePoint2d& point, const AcGePoint2dArray& polygon) {
    bool in = false;
    const int n = polygon.length();
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const AcGePoint2d& a = polygon[i];
        const AcGePoint2d& b = polygon[j];
        if ((a.y > point.y) != (b.y > point.y) && point.x < (b.x - a.x) * (point.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

OutlinePlace PlaceOfPoint(const AcGePoint2d& point, const AcGePoint2dArray& polygon, double margin) {
    const int n = polygon.length();
    for (int i = 0; i < n; ++i)
        if (DistanceToSide(point, polygon[i], polygon[(i + 1) % n]) <= margin)
            return OutlinePlace::Unsure;
    return InsidePolygon(point, polygon) ? OutlinePlace::In : OutlinePlace::Out;
}

geometry::Extents BoxOf(const AcGePoint2d& low, const AcGePoint2d& high) {
    return {{low.x, low.y}, {high.x, high.y}};
}

// Whether the entity lies flat at elevation 0, where the selection's polygon lies.
bool AtGround(AcDbEntity* entity) {
    if (AcDbPolyline* lw = AsPolyline(entity))
        return lw->elevation() == 0;
    AcDb2dPolyline* poly = As2dPolyline(entity);
    return poly != nullptr && poly->elevation() == 0;
}

bool IsClosed(AcDbEntity* entity) {
    if (AcDbPolyline* lw = AsPolyline(entity))
        return lw->isClosed();
    AcDb2dPolyline* poly = As2dPolyline(entity);
    return poly != nullptr && poly->isClosed();
}

}  // namespace

OutlinePlace PlaceOfOutline(const std::vector<AcGePoint2d>& outline, bool closed,
                          const AcGePoint2dArray& polygon, double margin) {
    if (outline.empty() || polygon.length() < 3)
        return OutlinePlace::Unsure;
    // The host takes an outline whose first point lies inside and whose path meets no side. A
    // path from a point inside to one outside crosses a side.
    const OutlinePlace start = PlaceOfPoint(outline.front(), polygon, margin);
    if (start != OutlinePlace::In)
        return start;
    bool sure = true;
    for (std::size_t k = 1; k < outline.size(); ++k) {
        const OutlinePlace place = PlaceOfPoint(outline[k], polygon, margin);
        if (place == OutlinePlace::Out)
            return OutlinePlace::Out;
        sure = sure && place == OutlinePlace::In;
    }
    if (!sure)
        return OutlinePlace::Unsure;
    const std::size_t sides = closed ? outline.size() : outline.size() - 1;
    const int n = polygon.length();
    for (std::size_t k = 0; k < sides; ++k) {
        const AcGePoint2d& a = outline[k];
        const AcGePoint2d& b = outline[(k + 1) % outline.size()];
        for (int i = 0; i < n; ++i)
            if (!SidesClear(a, b, polygon[i], polygon[(i + 1) % n], margin))
                return OutlinePlace::Unsure;
    }
    return OutlinePlace::In;
}

WindowOutlines::WindowOutlines(double cell, const std::function<bool(const ads_name)>& isOutline)
    : grid_(cell, kMostCells) {
    std::vector<AcDbObjectId> ids;
    drawingutil::AppendSelectedIds("X", nullptr, nullptr, nullptr, ids, isOutline);
    for (AcDbObjectId id : ids)
        Read(id);
    grid_.Seal();
}

WindowOutlines::WindowOutlines(double cell, const std::vector<AcDbObjectId>& outlines)
    : grid_(cell, kMostCells) {
    outlines_.reserve(outlines.size());
    for (AcDbObjectId id : outlines)
        Read(id);
    grid_.Seal();
}

void WindowOutlines::Read(AcDbObjectId id) {
    Opened<AcDbEntity> entity(id, AcDb::kForRead);
    if (!entity)
        return;
    // A graphical selection takes only entities of the current space that have a box.
    AcDbExtents extents;
    if (!drawingutil::InCurrentSpace(*entity.get()) || entity->getGeomExtents(extents) != Acad::eOk ||
        extents.isEmpty())
        return;
    Outline entry{id,
                {extents.minPoint().x, extents.minPoint().y},
                {extents.maxPoint().x, extents.maxPoint().y},
                false,
                IsClosed(entity.get()),
                static_cast<std::uint32_t>(points_.size()),
                0};
    std::vector<double> bulges;
    if (ShownToSelection(*entity.get()) && AtGround(entity.get()) &&
        ReadFlatFrame(entity.get(), points_, bulges)) {
        entry.count = static_cast<std::uint32_t>(points_.size() - entry.first);
        entry.known = entry.count >= 2 &&
                      std::all_of(bulges.begin(), bulges.end(), [](double b) { return b == 0; }) &&
                      std::all_of(points_.begin() + entry.first, points_.end(), Finite);
    }
    if (!entry.known) {
        points_.resize(entry.first);
        entry.count = 0;
    }
    if (!Finite(entry.low) || !Finite(entry.high)) {
        constexpr double kAll = std::numeric_limits<double>::max();
        entry.low.set(-kAll, -kAll);
        entry.high.set(kAll, kAll);
        entry.known = false;
    }
    magnitude_ = std::max({magnitude_, Magnitude(entry.low), Magnitude(entry.high)});
    const auto index = static_cast<std::uint32_t>(outlines_.size());
    outlines_.push_back(entry);
    grid_.Add(BoxOf(entry.low, entry.high), index);
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
        if (!Finite(p))
            return false;
        low.set(std::min(low.x, p.x), std::min(low.y, p.y));
        high.set(std::max(high.x, p.x), std::max(high.y, p.y));
        magnitude = std::max(magnitude, Magnitude(p));
    }
    const double margin = std::max(
        {kLeastMargin, kToleranceMargin * AcGeContext::gTol.equalPoint(), kRelativeMargin * magnitude});
    // The host looks only inside the view: the polygon must lie well inside it.
    if (!std::isfinite(margin) || !(viewLow.x + margin < low.x - margin) ||
        !(high.x + margin < viewHigh.x - margin) || !(viewLow.y + margin < low.y - margin) ||
        !(high.y + margin < viewHigh.y - margin))
        return false;

    std::vector<std::uint32_t> near;
    if (!grid_.Find(BoxOf({low.x - margin, low.y - margin}, {high.x + margin, high.y + margin}), near))
        return false;

    std::vector<AcGePoint2d> outline;
    for (std::uint32_t index : near) {
        const Outline& entry = outlines_[index];
        // The host takes only what its box puts wholly within the polygon's box.
        if (entry.low.x < low.x - margin || entry.low.y < low.y - margin || entry.high.x > high.x + margin ||
            entry.high.y > high.y + margin)
            continue;
        if (!(entry.low.x > low.x + margin && entry.low.y > low.y + margin &&
              entry.high.x < high.x - margin && entry.high.y < high.y - margin) ||
            !entry.known)
            return false;
        outline.assign(points_.begin() + entry.first, points_.begin() + entry.first + entry.count);
        const OutlinePlace place = PlaceOfOutline(outline, entry.closed, polygon, margin);
        if (place == OutlinePlace::Unsure)
            return false;
        if (place == OutlinePlace::In)
            selected.push_back(entry.id);
    }
    return true;
}

}  // namespace cadastral
