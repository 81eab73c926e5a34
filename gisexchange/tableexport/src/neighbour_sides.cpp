#include "gisexchange/neighbour_sides.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>

#include "drawingutil/host_objects.h"
#include "drawingutil/selection_reach.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_vertex.h"

namespace gisexchange {
namespace {

using drawingutil::Opened;

// The side of a cell: far above the reach of any question, so that one asks a few cells.
constexpr double kCell = 1.0;
// A question over more cells than this looks at every parcel instead.
constexpr std::int64_t kMostCells = 256;
// How far inside the window a side must run to be taken for certain, at least and relative to the
// size of the coordinates: far above the host's tolerance and the rounding of either side's
// arithmetic, far below the window's size.
constexpr double kLeastMargin = 1e-6;
constexpr double kRelativeMargin = 1e-9;

}  // namespace

NeighbourSides::NeighbourSides() : grid_(kCell, kMostCells) {}

void NeighbourSides::Add(AcDbObjectId parcel, const AcGePoint2dArray& points, const std::vector<AcDbObjectId>& vertices)
{
    const auto index = static_cast<std::uint32_t>(parcels_.size());
    parcels_.push_back(parcel);
    if (firstPoint_.empty()) {
        firstPoint_.push_back(0);
        firstVertex_.push_back(0);
    }
    points_.insert(points_.end(), points.begin(), points.end());
    vertices_.insert(vertices_.end(), vertices.begin(), vertices.end());
    firstPoint_.push_back(static_cast<std::uint32_t>(points_.size()));
    firstVertex_.push_back(static_cast<std::uint32_t>(vertices_.size()));
    const int n = points.length();
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& a = points[i];
        const AcGePoint2d& b = points[(i + 1) % n];
        const double x = (a.x + b.x) / 2, y = (a.y + b.y) / 2;
        if (std::isfinite(x) && std::isfinite(y))
            grid_.Add(geometry::Point2d{x, y}, index);
    }
}

void NeighbourSides::Finish()
{
    grid_.Seal();
}

std::vector<AcDbObjectId> NeighbourSides::Near(const AcGePoint2d& middle, double reach) const
{
    std::vector<AcDbObjectId> parcels;
    for (const Filed& filed : NearFiled(middle, reach))
        parcels.push_back(filed.parcel);
    return parcels;
}

std::vector<NeighbourSides::Filed> NeighbourSides::NearFiled(const AcGePoint2d& middle, double reach) const
{
    std::vector<std::uint32_t> found;
    if (!grid_.Find({{middle.x - reach, middle.y - reach}, {middle.x + reach, middle.y + reach}}, found)) {
        found.resize(parcels_.size());
        std::iota(found.begin(), found.end(), std::uint32_t{0});
    }
    std::vector<Filed> parcels;
    parcels.reserve(found.size());
    for (std::uint32_t index : found)
        parcels.push_back({parcels_[index], points_.data() + firstPoint_[index],
                           firstPoint_[index + 1] - firstPoint_[index], vertices_.data() + firstVertex_[index],
                           firstVertex_[index + 1] - firstVertex_[index]});
    return parcels;
}

bool SurelyCrossed(AcDbObjectId polyline, const AcGePoint2d& low, const AcGePoint2d& high,
                   const AcGePoint2d& viewLow, const AcGePoint2d& viewHigh)
{
    Opened<AcDb2dPolyline> poly(polyline, AcDb::kForRead);
    if (!poly || poly->isErased() || poly->polyType() != AcDb::k2dSimplePoly || !drawingutil::ShownToSelection(*poly.get()))
        return false;
    const AcGeVector3d normal = poly->normal();
    AcDbDatabase* db = poly->database();
    if (normal.x != 0 || normal.y != 0 || normal.z != 1 || db == nullptr || poly->ownerId() != db->currentSpaceId())
        return false;
    std::vector<AcGePoint2d> points;
    std::vector<bool> straight;
    std::unique_ptr<AcDbObjectIterator> it(poly->vertexIterator());
    for (it->start(); !it->done(); it->step()) {
        Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
        if (!vertex || vertex->vertexType() != AcDb::k2dVertex)
            return false;
        points.emplace_back(vertex->position().x, vertex->position().y);
        straight.push_back(vertex->bulge() == 0);
    }
    const double margin = std::max(kLeastMargin, kRelativeMargin * std::max({std::fabs(low.x), std::fabs(low.y),
                                                                             std::fabs(high.x), std::fabs(high.y)}));
    const AcGePoint2d innerLow(low.x + margin, low.y + margin), innerHigh(high.x - margin, high.y - margin);
    // What runs through the inner window is in view when the view holds that window.
    if (innerLow.x > innerHigh.x || innerLow.y > innerHigh.y || viewLow.x > innerLow.x || viewLow.y > innerLow.y ||
        viewHigh.x < innerHigh.x || viewHigh.y < innerHigh.y)
        return false;
    const std::size_t n = points.size();
    const std::size_t sides = poly->isClosed() ? n : (n > 0 ? n - 1 : 0);
    for (std::size_t i = 0; i < sides; ++i)
        if (straight[i] && drawingutil::SideMeetsBox(points[i], points[(i + 1) % n], innerLow, innerHigh))
            return true;
    return false;
}

}  // namespace gisexchange
