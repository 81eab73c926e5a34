#include "selection_area.h"

#include <algorithm>
#include <cmath>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_region.h"
#include "platform/cad/db_text.h"

namespace platform::cad {
namespace {

// What an entity looks like to a selection: curves and single points. Entities without curves of
// their own (texts, block references, dimensions) are taken as the rectangle of their extents.
struct Shape {
    std::vector<CurvePath> curves;
    std::vector<AcGePoint3d> points;
};

CurvePath Rectangle(const Box2d& b)
{
    CurvePath path;
    path.segments.reserve(4);
    AcGePoint3d p0(b.minX, b.minY, 0), p1(b.maxX, b.minY, 0), p2(b.maxX, b.maxY, 0), p3(b.minX, b.maxY, 0);
    path.AddLine(p0, p1, 0, 1);
    path.AddLine(p1, p2, 1, 2);
    path.AddLine(p2, p3, 2, 3);
    path.AddLine(p3, p0, 3, 4);
    path.closed = true;
    return path;
}

Shape ShapeOf(const AcDbEntity& entity, const Box2d& box)
{
    Shape shape;
    if (const auto* curve = AcDbCurve::cast(&entity)) {
        CurvePath path;
        if (curve->buildPath(path) && !path.Empty())
            shape.curves.push_back(std::move(path));
    } else if (const auto* point = AcDbPoint::cast(&entity)) {
        shape.points.push_back(point->position());
    } else if (const auto* region = AcDbRegion::cast(&entity)) {
        for (const auto& loop : region->loops())
            if (!loop.Empty())
                shape.curves.push_back(loop);
    } else if (const auto* hatch = AcDbHatch::cast(&entity)) {
        for (int i = 0; i < hatch->numLoops(); ++i) {
            Adesk::Int32 type = 0;
            AcGePoint2dArray vertices;
            AcGeDoubleArray bulges;
            if (hatch->getLoopAt(i, type, vertices, bulges) != Acad::eOk || vertices.length() < 2)
                continue;
            CurvePath path;
            int n = vertices.length();
            for (int k = 0; k < n; ++k) {
                const AcGePoint2d& a = vertices[k];
                const AcGePoint2d& b = vertices[(k + 1) % n];
                double bulge = k < bulges.length() ? bulges[k] : 0.0;
                path.AddBulge(AcGePoint3d(a.x, a.y, 0), AcGePoint3d(b.x, b.y, 0), bulge, k, k + 1);
            }
            path.closed = true;
            shape.curves.push_back(std::move(path));
        }
    }
    if (shape.curves.empty() && shape.points.empty()) {
        if (box.minX == box.maxX && box.minY == box.maxY)
            shape.points.emplace_back(box.minX, box.minY, 0);
        else
            shape.curves.push_back(Rectangle(box));
    }
    return shape;
}

bool Crosses(const CurvePath& a, const CurvePath& b) { return a.Meets(b); }

// Whether the entity's shape lies within its box and is as large in magnitude as the box at most,
// but for its height, given: then the tolerance of every test of the shape follows from the box.
// (An arc's magnitude counts its centre and radius, which a flat arc takes far beyond its box.)
// Only the common classes are known here, by their exact class; others take the full tests. The
// shape of an entity still open for write may have left the box last measured.
bool FlatInBox(const AcDbEntity& entity, double& height)
{
    if (entity.isWriteEnabled())
        return false;
    auto up = [](const AcGeVector3d& normal) { return normal.x == 0 && normal.y == 0 && normal.z == 1; };
    const AcRxClass* type = entity.isA();
    if (type == AcDbText::desc() || type == AcDbBlockReference::desc()) {
        height = 0;  // taken as the rectangle of its box
        return true;
    }
    if (type == AcDbPolyline::desc()) {
        const auto& polyline = static_cast<const AcDbPolyline&>(entity);
        height = std::abs(polyline.elevation());
        return up(polyline.normal()) && !polyline.hasBulges();
    }
    if (type == AcDb2dPolyline::desc()) {
        const auto& polyline = static_cast<const AcDb2dPolyline&>(entity);
        height = std::abs(polyline.elevation());
        thread_local std::vector<AcGePoint2d> shown;
        return polyline.flatStraightVertices(shown);
    }
    if (type == AcDbLine::desc()) {
        const auto& line = static_cast<const AcDbLine&>(entity);
        height = std::max(std::abs(line.startPoint().z), std::abs(line.endPoint().z));
        return true;
    }
    if (type == AcDbCircle::desc()) {
        const auto& circle = static_cast<const AcDbCircle&>(entity);
        height = std::abs(circle.center().z);
        return up(circle.normal());
    }
    if (type == AcDbPoint::desc()) {
        height = std::abs(static_cast<const AcDbPoint&>(entity).position().z);
        return true;
    }
    return false;
}

// Whether the segment meets the box: the box's corners are not all on one side of its line and
// their boxes meet. A segment of one point meets every box its own box meets.
bool SegmentMeets(const PathSegment& segment, const Box2d& box)
{
    const AcGePoint3d& a = segment.start;
    const AcGePoint3d& b = segment.end;
    if (std::max(a.x, b.x) < box.minX || std::min(a.x, b.x) > box.maxX || std::max(a.y, b.y) < box.minY ||
        std::min(a.y, b.y) > box.maxY)
        return false;
    const double dx = b.x - a.x, dy = b.y - a.y;
    auto side = [&](double x, double y) { return dx * (y - a.y) - dy * (x - a.x); };
    const double s[4] = {side(box.minX, box.minY), side(box.maxX, box.minY), side(box.maxX, box.maxY),
                         side(box.minX, box.maxY)};
    const bool left = s[0] > 0 && s[1] > 0 && s[2] > 0 && s[3] > 0;
    const bool right = s[0] < 0 && s[1] < 0 && s[2] < 0 && s[3] < 0;
    return !left && !right;
}

// How far, in tolerances, an edge must stay from an entity's box for the box to decide: far
// beyond what the tests of intersection and closeness accept, and beyond rounding.
constexpr double kClearTolerances = 1000;

// That distance for a box and the coordinates (`magnitude`, the largest) of what it is tested
// against.
double ClearOf(const Box2d& box, double magnitude)
{
    return kClearTolerances * ScaledTolerance(std::max({magnitude, std::abs(box.minX), std::abs(box.minY),
                                                        std::abs(box.maxX), std::abs(box.maxY)}));
}

Box2d Grown(const Box2d& b, double by) { return {b.minX - by, b.minY - by, b.maxX + by, b.maxY + by}; }

// What the sides of a polyline of straight sides lying flat in its box tell of a rectangle by
// themselves: a side through the rectangle shrunk by the clear margin puts a point of the
// polyline clearly inside, which a crossing selection then takes; no side meeting the rectangle
// grown by it leaves every point clearly outside, where the selection cannot take it. Either way
// the polyline's shape need not be built. Anything else, and any other entity, is unsure.
enum class SidesTell { Inside, Outside, Unsure };

// The sides of n vertices (pointAt(i, p) reads vertex i, false when it cannot) against the
// rectangle, clear by the margin given.
template <typename PointAt>
SidesTell SidesAgainst(unsigned int n, bool closed, const PointAt& pointAt, const Box2d& rectangle, double clear)
{
    const Box2d outer = Grown(rectangle, clear);
    const Box2d inside = Grown(rectangle, -clear);
    // (A rectangle too small to hold a point clearly has no inner box.)
    const Box2d* inner = inside.minX <= inside.maxX && inside.minY <= inside.maxY ? &inside : nullptr;
    AcGePoint2d first, previous;
    auto finite = [](const AcGePoint2d& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    if (n < 2 || !pointAt(0, first) || !finite(first))
        return SidesTell::Unsure;
    previous = first;
    bool meetsOuter = false;
    PathSegment side;
    const unsigned int sides = closed ? n : n - 1;
    for (unsigned int i = 1; i <= sides; ++i) {
        AcGePoint2d next = first;
        if (i < n && (!pointAt(i, next) || !finite(next)))
            return SidesTell::Unsure;
        side.start = AcGePoint3d(previous.x, previous.y, 0);
        side.end = AcGePoint3d(next.x, next.y, 0);
        if (inner != nullptr && SegmentMeets(side, *inner))
            return SidesTell::Inside;
        meetsOuter = meetsOuter || SegmentMeets(side, outer);
        previous = next;
    }
    return meetsOuter ? SidesTell::Unsure : SidesTell::Outside;
}

SidesTell StraightSidesAgainst(const AcDbEntity& entity, const Box2d& box, const Box2d& rectangle, double magnitude)
{
    double height = 0;
    const AcRxClass* type = entity.isA();
    if (type == AcDbPolyline::desc()) {
        if (!FlatInBox(entity, height))
            return SidesTell::Unsure;
        const auto& polyline = static_cast<const AcDbPolyline&>(entity);
        return SidesAgainst(
            polyline.numVerts(), polyline.isClosed(),
            [&](unsigned int i, AcGePoint2d& p) { return polyline.getPointAt(i, p) == Acad::eOk; }, rectangle,
            ClearOf(box, std::max(magnitude, height)));
    }
    if (type == AcDb2dPolyline::desc() && !entity.isWriteEnabled()) {
        const auto& polyline = static_cast<const AcDb2dPolyline&>(entity);
        thread_local std::vector<AcGePoint2d> shown;
        if (!polyline.flatStraightVertices(shown))
            return SidesTell::Unsure;
        height = std::abs(polyline.elevation());
        return SidesAgainst(
            static_cast<unsigned int>(shown.size()), polyline.isClosed(),
            [&](unsigned int i, AcGePoint2d& p) {
                p = shown[i];
                return true;
            },
            rectangle, ClearOf(box, std::max(magnitude, height)));
    }
    return SidesTell::Unsure;
}

}  // namespace

SelectionArea::SelectionArea(AreaKind kind, const std::vector<AcGePoint2d>& points) : kind_(kind)
{
    if (kind == AreaKind::Window || kind == AreaKind::Crossing) {
        const AcGePoint2d& a = points.at(0);
        const AcGePoint2d& b = points.at(1);
        points_ = {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::min(a.y, b.y)},
                   {std::max(a.x, b.x), std::max(a.y, b.y)}, {std::min(a.x, b.x), std::max(a.y, b.y)}};
    } else {
        points_ = points;
    }
    bounds_ = {points_[0].x, points_[0].y, points_[0].x, points_[0].y};
    for (const auto& p : points_) {
        bounds_.minX = std::min(bounds_.minX, p.x);
        bounds_.minY = std::min(bounds_.minY, p.y);
        bounds_.maxX = std::max(bounds_.maxX, p.x);
        bounds_.maxY = std::max(bounds_.maxY, p.y);
    }
    for (const auto& p : points_)
        magnitude_ = std::max({magnitude_, std::abs(p.x), std::abs(p.y)});
    std::size_t n = points_.size();
    std::size_t edges = kind == AreaKind::Fence ? n - 1 : n;
    edges_.segments.reserve(edges);
    for (std::size_t i = 0; i < edges; ++i) {
        const AcGePoint2d& a = points_[i];
        const AcGePoint2d& b = points_[(i + 1) % n];
        edges_.AddLine(AcGePoint3d(a.x, a.y, 0), AcGePoint3d(b.x, b.y, 0), static_cast<double>(i),
                       static_cast<double>(i + 1));
    }
    edges_.closed = kind != AreaKind::Fence;
}

SelectionArea::Side SelectionArea::SideOf(const AcDbEntity& entity, const Box2d& box) const
{
    double height = 0;
    return FlatInBox(entity, height) ? SideOfBox(box, height) : Side::Near;
}

SelectionArea::Side SelectionArea::SideOfBox(const Box2d& box, double shapeMagnitude) const
{
    const Box2d grown = Grown(box, ClearOf(box, std::max(magnitude_, shapeMagnitude)));
    for (const auto& edge : edges_.segments)
        if (SegmentMeets(edge, grown))
            return Side::Near;
    // No edge near: the box lies wholly on one side of the area's outline (a fence has none).
    if (kind_ == AreaKind::Fence)
        return Side::Outside;
    return Inside(AcGePoint3d(box.minX, box.minY, 0)) ? Side::Inside : Side::Outside;
}

bool SelectionArea::Inside(const AcGePoint3d& point) const
{
    // Crossing number of a ray to the right.
    bool in = false;
    std::size_t n = points_.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const AcGePoint2d& a = points_[i];
        const AcGePoint2d& b = points_[j];
        if ((a.y > point.y) != (b.y > point.y) && point.x < (b.x - a.x) * (point.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

bool SelectionArea::MayTake(const Box2d& box) const
{
    return kind_ == AreaKind::Window || kind_ == AreaKind::WindowPolygon ? box.Inside(bounds_) : box.Meets(bounds_);
}

bool SelectionArea::Selects(const AcDbEntity& entity, const Box2d& box) const
{
    switch (kind_) {
    case AreaKind::Window:
        return box.Inside(bounds_);
    case AreaKind::WindowPolygon: {
        if (!box.Inside(bounds_))
            return false;
        if (Side side = SideOf(entity, box); side != Side::Near)
            return side == Side::Inside;
        Shape shape = ShapeOf(entity, box);
        for (const auto& curve : shape.curves)
            if (Crosses(curve, edges_) || !Inside(curve.segments.front().start))
                return false;
        for (const auto& p : shape.points)
            if (!Inside(p))
                return false;
        return true;
    }
    case AreaKind::Crossing:
    case AreaKind::CrossingPolygon: {
        if (!box.Meets(bounds_))
            return false;
        if (kind_ == AreaKind::Crossing && box.Inside(bounds_))
            return true;
        // A box that meets a rectangle without lying in it holds one of its edges or all of it:
        // only a polygon's box can be decided here.
        if (kind_ == AreaKind::CrossingPolygon)
            if (Side side = SideOf(entity, box); side != Side::Near)
                return side == Side::Inside;
        if (kind_ == AreaKind::Crossing)
            if (SidesTell told = StraightSidesAgainst(entity, box, bounds_, magnitude_); told != SidesTell::Unsure)
                return told == SidesTell::Inside;
        Shape shape = ShapeOf(entity, box);
        for (const auto& curve : shape.curves)
            if (Inside(curve.segments.front().start) || Crosses(curve, edges_))
                return true;
        for (const auto& p : shape.points)
            if (Inside(p))
                return true;
        return false;
    }
    case AreaKind::Fence: {
        if (!box.Meets(bounds_) || SideOf(entity, box) == Side::Outside)
            return false;
        Shape shape = ShapeOf(entity, box);
        for (const auto& curve : shape.curves)
            if (Crosses(curve, edges_))
                return true;
        for (const auto& p : shape.points) {
            AcGePoint3d on = edges_.ClosestPoint(p);
            if (on.distanceTo(p) <= edges_.Tolerance())
                return true;
        }
        return false;
    }
    }
    return false;
}

}  // namespace platform::cad
