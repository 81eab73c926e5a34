#include "point_circles.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "cadastral/entity_selection.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_set.h"
#include "drawingutil/selection_reach.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"

namespace cadastral::detail {
namespace {

using drawingutil::Opened;

// Cells of the centres' grid, in drawing units: a vertex's look-up reads a few of them.
constexpr double kCell = 4.0;
// A look-up over more cells than this goes through every circle instead.
constexpr std::int64_t kMostCells = 256;
// The margin, relative to the size of the coordinates and to the host's own tolerance, inside
// which a point of the fence is too close to a circle to call it in or out: far above the host's
// tolerance and the rounding of either side's arithmetic.
constexpr double kLeastMargin = 1e-6;
constexpr double kRelativeMargin = 1e-9;
constexpr double kToleranceMargin = 1000.0;

double Magnitude(const AcGePoint2d& p) { return std::max(std::fabs(p.x), std::fabs(p.y)); }

bool Finite(const AcGePoint2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Whether the fence certainly crosses the circle: one of its sides runs from clearly inside the
// circle, at a point the view clearly shows, to clearly outside it. Such a side meets the circle
// once, inside the side, and the circle's box holds the point inside, so the host's search finds it.
bool FenceCrosses(const AcGePoint2dArray& fence, const PointCircles::Circle& circle, double margin,
                  const AcGePoint2d& viewLow, const AcGePoint2d& viewHigh) {
    auto shown = [&](const AcGePoint2d& p) {
        return p.x > viewLow.x + margin && p.x < viewHigh.x - margin && p.y > viewLow.y + margin &&
               p.y < viewHigh.y - margin;
    };
    auto inside = [&](const AcGePoint2d& p) { return p.distanceTo(circle.centre) < circle.radius - margin; };
    auto outside = [&](const AcGePoint2d& p) { return p.distanceTo(circle.centre) > circle.radius + margin; };
    for (int k = 0; k + 1 < fence.length(); ++k) {
        const AcGePoint2d& a = fence[k];
        const AcGePoint2d& b = fence[k + 1];
        if ((inside(a) && shown(a) && outside(b)) || (inside(b) && shown(b) && outside(a)))
            return true;
    }
    return false;
}

}  // namespace

PointCircles::PointCircles() : grid_(kCell, kMostCells) {
    drawingutil::SelectionSet all;
    if (!SelectByFilter(all.Fill(), "circle,JZP", "", false)) {
        all.Drop();
        return;
    }
    const int count = all.Length();
    circles_.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ads_name member{};
        AcDbObjectId id;
        if (all.At(i, member, id))
            Read(id);
    }
    grid_.Seal();
    // Ids only name the circles here: any consistent order finds them.
    std::sort(byId_.begin(), byId_.end());
}

void PointCircles::Read(AcDbObjectId id) {
    Opened<AcDbCircle> circle(id, AcDb::kForRead);
    if (!circle)
        return;
    AcDbDatabase* db = circle->database();
    const AcGePoint3d centre = circle->center();
    const AcGeVector3d normal = circle->normal();
    Circle read{id, AcGePoint2d(centre.x, centre.y), circle->radius(), false};
    read.plain = db != nullptr && circle->ownerId() == db->currentSpaceId() &&
                 drawingutil::ShownToSelection(*circle.get()) && centre.z == 0 && normal.x == 0 &&
                 normal.y == 0 && normal.z == 1 && std::isfinite(read.radius) && read.radius > 0;
    const auto position = static_cast<std::uint32_t>(circles_.size());
    circles_.push_back(read);
    byId_.emplace_back(id, position);
    // A centre that is no number is near no vertex.
    if (!Finite(read.centre))
        return;
    magnitude_ = std::max(magnitude_, Magnitude(read.centre) + std::fabs(read.radius));
    grid_.Add(geometry::Point2d{read.centre.x, read.centre.y}, position);
}

int PointCircles::Find(AcDbObjectId id) const {
    auto it = std::lower_bound(byId_.begin(), byId_.end(), std::make_pair(id, std::uint32_t{0}));
    if (it == byId_.end() || it->first != id)
        return -1;
    return static_cast<int>(it->second);
}

bool PointCircles::AlongFence(const AcGePoint2dArray& fence, const AcGePoint2dArray& vertices, double reach,
                              const AcGePoint2d& viewLow, const AcGePoint2d& viewHigh,
                              std::vector<std::uint32_t>& taken) const {
    taken.clear();
    double magnitude = magnitude_;
    for (int i = 0; i < fence.length(); ++i) {
        const AcGePoint2d& p = fence[i];
        if (!Finite(p))
            return false;
        magnitude = std::max(magnitude, Magnitude(p));
    }
    const double margin = std::max(
        {kLeastMargin, kToleranceMargin * AcGeContext::gTol.equalPoint(), kRelativeMargin * magnitude});
    if (!std::isfinite(margin))
        return false;
    // Every centre closer than the reach to a vertex lies in the cells around it: the cells are
    // looked at twice as far out, beyond any rounding of the bounds.
    const double around = 2 * reach;
    std::vector<std::uint32_t> near;
    for (int i = 0; i < vertices.length(); ++i) {
        const AcGePoint2d& vertex = vertices[i];
        if (!Finite(vertex))
            return false;
        if (!grid_.Find({{vertex.x - around, vertex.y - around}, {vertex.x + around, vertex.y + around}}, near)) {
            near.resize(circles_.size());
            std::iota(near.begin(), near.end(), std::uint32_t{0});
        }
        for (std::uint32_t position : near)
            if (circles_[position].centre.distanceTo(vertex) < reach)
                taken.push_back(position);
    }
    std::sort(taken.begin(), taken.end());
    taken.erase(std::unique(taken.begin(), taken.end()), taken.end());
    for (std::uint32_t position : taken) {
        const Circle& circle = circles_[position];
        if (!circle.plain || !FenceCrosses(fence, circle, margin, viewLow, viewHigh))
            return false;
    }
    return !taken.empty();
}

}  // namespace cadastral::detail
