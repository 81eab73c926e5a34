#include "gisexchange/member_crossings.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_reach.h"
#include "drawingutil/window_outlines.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_polyline.h"

namespace gisexchange {
namespace {

using drawingutil::Opened;

// How far inside or outside the window an entity must keep to be called, at least, relative to the
// size of the coordinates and to the host's own tolerance: far above that tolerance and the
// rounding of either side's arithmetic, far below the size of a window.
constexpr double kLeastMargin = 1e-6;
constexpr double kRelativeMargin = 1e-9;
constexpr double kToleranceMargin = 1000.0;
// How far the kept extents may be from the entity's own and still name it as a candidate: the
// extents are read again before anything is called.
constexpr double kCandidateReach = 1.0;

enum class Take { No, Yes, Unsure };

struct Box {
    AcGePoint2d low;
    AcGePoint2d high;
};

Box Grown(const Box& box, double by)
{
    return {{box.low.x - by, box.low.y - by}, {box.high.x + by, box.high.y + by}};
}

bool Empty(const Box& box) { return box.low.x > box.high.x || box.low.y > box.high.y; }

bool Meets(const Box& a, const Box& b)
{
    return a.low.x <= b.high.x && b.low.x <= a.high.x && a.low.y <= b.high.y && b.low.y <= a.high.y;
}

bool Inside(const Box& inner, const Box& outer)
{
    return inner.low.x >= outer.low.x && inner.high.x <= outer.high.x && inner.low.y >= outer.low.y &&
           inner.high.y <= outer.high.y;
}

double Magnitude(const Box& box)
{
    return std::max({std::fabs(box.low.x), std::fabs(box.low.y), std::fabs(box.high.x), std::fabs(box.high.y)});
}

// The host looks for what the window takes only within the view. An entity reaching into the
// inner window is looked at when the view holds that window; one that stays outside the window is
// never taken, whatever the view.
bool Seen(const Box& inner, const Box& view, double margin)
{
    return !Empty(inner) && Inside(inner, Grown(view, -margin));
}

struct Frame {
    std::vector<AcGePoint2d> points;
    std::vector<double> bulges;
    bool closed = false;
};

// The drawn outline of a flat lightweight or simple 2D polyline, whose sides the host draws
// through the very coordinates read here. False for another shape, whose drawn curve is not its
// frame.
bool ReadFrame(AcDbEntity* entity, Frame& frame)
{
    if (!drawingutil::ReadFlatFrame(entity, frame.points, frame.bulges) || frame.points.size() < 2)
        return false;
    if (AcDbPolyline* lw = AsPolyline(entity))
        frame.closed = lw->isClosed();
    else
        frame.closed = As2dPolyline(entity)->isClosed();
    return true;
}

// Whether the point lies on an edge of the window, exactly, as the corner of a neighbour does.
bool OnEdge(const AcGePoint2d& p, const Box& window)
{
    const bool inX = p.x >= window.low.x && p.x <= window.high.x;
    const bool inY = p.y >= window.low.y && p.y <= window.high.y;
    return (inX && (p.y == window.low.y || p.y == window.high.y)) ||
           (inY && (p.x == window.low.x || p.x == window.high.x));
}

// Whether the side runs along an edge of the window, exactly, over a stretch of it or a point, as
// the side of a neighbour does.
bool AlongEdge(const AcGePoint2d& a, const AcGePoint2d& b, const Box& window)
{
    auto overlaps = [](double a0, double a1, double low, double high) {
        return std::min(a0, a1) <= high && std::max(a0, a1) >= low;
    };
    if (a.y == b.y && (a.y == window.low.y || a.y == window.high.y))
        return overlaps(a.x, b.x, window.low.x, window.high.x);
    if (a.x == b.x && (a.x == window.low.x || a.x == window.high.x))
        return overlaps(a.y, b.y, window.low.y, window.high.y);
    return false;
}

// How the sides of the outline meet the window: Yes when a straight side runs into the inner
// window, or, for an outline that meets the window within the view, ends exactly on an edge of
// the window or runs exactly along one (the host's test of a line against the window's edges
// meets it there to the last bit); No when every side stays outside the window's reach; else
// Unsure. An arc side is known by the box it stays in: its ends' box grown by
// how far it strays from its chord.
Take SidesThrough(const Frame& frame, const Box& window, const Box& inner, const Box& reach, bool touchSeen)
{
    const std::vector<AcGePoint2d>& points = frame.points;
    const std::size_t n = points.size();
    const std::size_t sides = frame.closed ? n : n - 1;
    bool near = false;
    for (std::size_t i = 0; i < sides; ++i) {
        const AcGePoint2d& a = points[i];
        const AcGePoint2d& b = points[(i + 1) % n];
        const double bulge = frame.bulges[i];
        if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(bulge))
            return Take::Unsure;
        if (bulge == 0) {
            if (drawingutil::SideMeetsBox(a, b, inner.low, inner.high))
                return Take::Yes;
            if (touchSeen && a != b &&
                (OnEdge(a, window) || OnEdge(b, window) || AlongEdge(a, b, window)))
                return Take::Yes;
            near = near || drawingutil::SideMeetsBox(a, b, reach.low, reach.high);
            continue;
        }
        const double sagitta = std::fabs(bulge) * a.distanceTo(b) / 2;
        const Box side = Grown({{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}},
                               sagitta);
        near = near || Meets(side, reach);
    }
    return near ? Take::Unsure : Take::No;
}

// Whether the crossing window, seen in the view, takes the entity, as far as its extents and
// sides tell.
Take CrossingTakes(AcDbObjectId id, const Box& window, const Box& view, double least)
{
    Opened<AcDbEntity> entity(id, AcDb::kForRead);
    AcDbExtents extents;
    if (!entity || entity->getGeomExtents(extents) != Acad::eOk || extents.isEmpty())
        return Take::Unsure;
    const Box box{{extents.minPoint().x, extents.minPoint().y}, {extents.maxPoint().x, extents.maxPoint().y}};
    const double margin = std::max(least, kRelativeMargin * Magnitude(box));
    if (!std::isfinite(margin))
        return Take::Unsure;
    const Box reach = Grown(window, margin), inner = Grown(window, -2 * margin);
    if (!Meets(box, reach))
        return Take::No;
    if (!Seen(inner, view, margin))
        return Take::Unsure;
    AcDbDatabase* db = entity->database();
    if (db == nullptr || entity->ownerId() != db->currentSpaceId() || !drawingutil::ShownToSelection(*entity.get()))
        return Take::Unsure;
    if (Inside(box, inner))
        return Take::Yes;
    Frame frame;
    if (!ReadFrame(entity.get(), frame))
        return Take::Unsure;
    // An entity touching the window only is looked at when its extents meet the window within the
    // view.
    const Box common{{std::max(box.low.x, window.low.x), std::max(box.low.y, window.low.y)},
                     {std::min(box.high.x, window.high.x), std::min(box.high.y, window.high.y)}};
    const bool touchSeen = !Empty(common) && Meets(common, Grown(view, -margin));
    return SidesThrough(frame, window, inner, reach, touchSeen);
}

}  // namespace

bool MembersCrossing(const EntityBoxes& members, AcDbObjectId passed, const AcGePoint2d& low, const AcGePoint2d& high,
                     const AcGePoint2d& viewLow, const AcGePoint2d& viewHigh, std::vector<AcDbObjectId>& selected)
{
    selected.clear();
    const Box window{{std::min(low.x, high.x), std::min(low.y, high.y)}, {std::max(low.x, high.x), std::max(low.y, high.y)}};
    const double least = std::max({kLeastMargin, kToleranceMargin * AcGeContext::gTol.equalPoint(),
                                   kRelativeMargin * Magnitude(window)});
    const Box view{viewLow, viewHigh};
    if (!std::isfinite(least) || !Seen(Grown(window, -2 * least), view, least))
        return false;
    geometry::Extents near;
    near.Include(geometry::Point2d{window.low.x - kCandidateReach, window.low.y - kCandidateReach});
    near.Include(geometry::Point2d{window.high.x + kCandidateReach, window.high.y + kCandidateReach});
    std::vector<AcDbObjectId> candidates;
    if (!members.Touching(near, candidates))
        return false;
    std::sort(candidates.begin(), candidates.end());
    for (AcDbObjectId id : candidates) {
        if (id == passed)
            continue;
        const Take take = CrossingTakes(id, window, view, least);
        if (take == Take::Unsure) {
            selected.clear();
            return false;
        }
        if (take == Take::Yes)
            selected.push_back(id);
    }
    return true;
}

}  // namespace gisexchange
