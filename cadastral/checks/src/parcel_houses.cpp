#include "parcel_houses.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "cadastral/entity_selection.h"
#include "cadastral/house_outlines.h"
#include "cadastral/outline_grid.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_reach.h"
#include "drawingutil/selection_set.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"

namespace cadastral::detail {
namespace {

using drawingutil::Opened;

// Cells of the grid, in drawing units, about a house's size.
constexpr double kCell = 16.0;
// An outline whose box spans more cells than this is looked at by every question instead.
constexpr std::int64_t kMostCells = 256;
// The margin, relative to the size of the coordinates and to the host's own tolerance, inside
// which a point or side is too close to the polygon's sides to call.
constexpr double kLeastMargin = 1e-6;
constexpr double kRelativeMargin = 1e-9;
constexpr double kToleranceMargin = 1000.0;

double Magnitude(const AcGePoint2d& p) { return std::max(std::fabs(p.x), std::fabs(p.y)); }

bool Finite(const AcGePoint2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

std::int64_t CellIndex(double v) {
    constexpr double kFarthest = 1e9;
    const double c = std::floor(v / kCell);
    return static_cast<std::int64_t>(c > -kFarthest ? (c < kFarthest ? c : kFarthest) : -kFarthest);
}

std::uint64_t CellKey(std::int64_t cx, std::int64_t cy) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(cx)) << 32) | static_cast<std::uint32_t>(cy);
}

bool FewCells(std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1) {
    return x1 - x0 < kMostCells && y1 - y0 < kMostCells && (x1 - x0 + 1) * (y1 - y0 + 1) <= kMostCells;
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

ParcelHouses::ParcelHouses() {
    drawingutil::SelectionSet all;
    if (!SelectByFilter(all.Fill(), "lwpolyline,JMD;polyline,JMD", "", false)) {
        all.Drop();
        return;
    }
    const int count = all.Length();
    outlines_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ads_name member{};
        AcDbObjectId id;
        if (all.At(i, member, id))
            Read(id);
    }
    std::sort(cells_.begin(), cells_.end());
}

void ParcelHouses::Read(AcDbObjectId id) {
    Opened<AcDbEntity> entity(id, AcDb::kForRead);
    if (!entity)
        return;
    // A graphical selection takes only entities of the current space that have a box.
    AcDbDatabase* db = entity->database();
    AcDbExtents extents;
    if (db == nullptr || entity->ownerId() != db->currentSpaceId() ||
        entity->getGeomExtents(extents) != Acad::eOk || extents.isEmpty())
        return;
    Outline outline{id,
                    {extents.minPoint().x, extents.minPoint().y},
                    {extents.maxPoint().x, extents.maxPoint().y},
                    false,
                    IsClosed(entity.get()),
                    static_cast<std::uint32_t>(points_.size()),
                    0};
    std::vector<double> bulges;
    if (drawingutil::ShownToSelection(*entity.get()) && AtGround(entity.get()) &&
        ReadFlatFrame(entity.get(), points_, bulges)) {
        outline.count = static_cast<std::uint32_t>(points_.size() - outline.first);
        outline.known = outline.count >= 2 &&
                        std::all_of(bulges.begin(), bulges.end(), [](double b) { return b == 0; }) &&
                        std::all_of(points_.begin() + outline.first, points_.end(), Finite);
    }
    if (!outline.known) {
        points_.resize(outline.first);
        outline.count = 0;
    }
    if (!Finite(outline.low) || !Finite(outline.high)) {
        constexpr double kAll = std::numeric_limits<double>::max();
        outline.low.set(-kAll, -kAll);
        outline.high.set(kAll, kAll);
        outline.known = false;
    }
    magnitude_ = std::max({magnitude_, Magnitude(outline.low), Magnitude(outline.high)});
    const auto index = static_cast<std::uint32_t>(outlines_.size());
    outlines_.push_back(outline);
    const std::int64_t x0 = CellIndex(outline.low.x), x1 = CellIndex(outline.high.x);
    const std::int64_t y0 = CellIndex(outline.low.y), y1 = CellIndex(outline.high.y);
    if (!FewCells(x0, x1, y0, y1)) {
        wide_.push_back(index);
        return;
    }
    for (std::int64_t cx = x0; cx <= x1; ++cx)
        for (std::int64_t cy = y0; cy <= y1; ++cy)
            cells_.emplace_back(CellKey(cx, cy), index);
}

bool ParcelHouses::WindowPolygon(const AcGePoint2dArray& polygon, const AcGePoint2d& viewLow,
                                 const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected) const {
    selected.clear();
    if (polygon.length() < 3)
        return false;
    AcGePoint2d low = polygon[0], high = polygon[0];
    double magnitude = magnitude_;
    for (const AcGePoint2d& p : polygon) {
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

    const std::int64_t x0 = CellIndex(low.x - margin), x1 = CellIndex(high.x + margin);
    const std::int64_t y0 = CellIndex(low.y - margin), y1 = CellIndex(high.y + margin);
    if (!FewCells(x0, x1, y0, y1))
        return false;
    std::vector<std::uint32_t> near(wide_);
    for (std::int64_t cx = x0; cx <= x1; ++cx) {
        for (std::int64_t cy = y0; cy <= y1; ++cy) {
            const std::uint64_t key = CellKey(cx, cy);
            auto it = std::lower_bound(cells_.begin(), cells_.end(), std::make_pair(key, std::uint32_t{0}));
            for (; it != cells_.end() && it->first == key; ++it)
                near.push_back(it->second);
        }
    }
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());

    std::vector<AcGePoint2d> points;
    for (std::uint32_t index : near) {
        const Outline& outline = outlines_[index];
        // The host takes only what its box puts wholly within the polygon's box.
        if (outline.low.x < low.x - margin || outline.low.y < low.y - margin || outline.high.x > high.x + margin ||
            outline.high.y > high.y + margin)
            continue;
        if (!(outline.low.x > low.x + margin && outline.low.y > low.y + margin && outline.high.x < high.x - margin &&
              outline.high.y < high.y - margin) ||
            !outline.known)
            return false;
        points.assign(points_.begin() + outline.first, points_.begin() + outline.first + outline.count);
        const HousePlace place = PlaceOfOutline(points, outline.closed, polygon, margin);
        if (place == HousePlace::Unsure)
            return false;
        if (place == HousePlace::In)
            selected.push_back(outline.id);
    }
    return true;
}

}  // namespace cadastral::detail
