#include "selection_area.h"

#include <algorithm>

#include "platform/cad/db_curve.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_region.h"

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
        if (!box.Meets(bounds_))
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
