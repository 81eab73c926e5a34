#include "gisexchange/neighbour_sides.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "gisexchange/cell_index.h"

namespace gisexchange {
namespace {

// The side of a cell: far above the reach of any question, so that one asks a few cells.
constexpr double kCell = 1.0;
// A question over more cells than this looks at every parcel instead.
constexpr std::int64_t kMostCells = 256;

}  // namespace

void NeighbourSides::Add(AcDbObjectId parcel, const AcGePoint2dArray& points, const std::vector<AcDbObjectId>& vertices)
{
    const auto index = static_cast<std::uint32_t>(parcels_.size());
    parcels_.push_back(parcel);
    if (firstPoint_.empty()) {
        firstPoint_.push_back(0);
        firstVertex_.push_back(0);
    }
    for (int i = 0; i < points.length(); ++i)
        points_.push_back(points[i]);
    vertices_.insert(vertices_.end(), vertices.begin(), vertices.end());
    firstPoint_.push_back(static_cast<std::uint32_t>(points_.size()));
    firstVertex_.push_back(static_cast<std::uint32_t>(vertices_.size()));
    const int n = points.length();
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& a = points[i];
        const AcGePoint2d& b = points[(i + 1) % n];
        const double x = (a.x + b.x) / 2, y = (a.y + b.y) / 2;
        if (std::isfinite(x) && std::isfinite(y))
            cells_.push_back({CellIndex(x, kCell), CellIndex(y, kCell), index});
    }
}

void NeighbourSides::Finish()
{
    std::sort(cells_.begin(), cells_.end());
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
    const std::int64_t x0 = CellIndex(middle.x - reach, kCell), x1 = CellIndex(middle.x + reach, kCell);
    const std::int64_t y0 = CellIndex(middle.y - reach, kCell), y1 = CellIndex(middle.y + reach, kCell);
    const std::int64_t across = x1 - x0 + 1, up = y1 - y0 + 1;
    if (across > 0 && up > 0 && across <= kMostCells / up) {
        for (std::int64_t x = x0; x <= x1; ++x) {
            const auto from = std::lower_bound(cells_.begin(), cells_.end(), Cell{x, y0, 0});
            for (auto it = from; it != cells_.end() && it->x == x && it->y <= y1; ++it)
                found.push_back(it->parcel);
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
    } else if (across > 0 && up > 0) {
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

}  // namespace gisexchange
