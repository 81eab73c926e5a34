// What the toolkit's grids of outlines share: boxes of outlines filed in the geometry engine's
// cells, and the sizes that decide how clear a box must be.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "geometry/cell_grid.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/ge_types.h"

namespace cadastral {

// An outline whose box spans more cells than this is looked at by every question instead.
constexpr std::int64_t kMostOutlineCells = 256;

// The larger of the point's coordinates, as a size.
inline double PointMagnitude(const AcGePoint2d& p) {
    return std::max(std::fabs(p.x), std::fabs(p.y));
}

inline bool FinitePoint(const AcGePoint2d& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

inline geometry::Extents ExtentsOf(const AcGePoint2d& low, const AcGePoint2d& high) {
    return {{low.x, low.y}, {high.x, high.y}};
}

// What an entity's extents give as its box: none, the box measured, or, for extents that are no
// numbers, a box over the whole plane, near every window, which only the host can judge.
enum class OutlineBox { None, Measured, Everywhere };

inline OutlineBox OutlineBoxOf(const AcDbEntity& entity, AcGePoint2d& low, AcGePoint2d& high) {
    AcDbExtents extents;
    if (entity.getGeomExtents(extents) != Acad::eOk || extents.isEmpty())
        return OutlineBox::None;
    low.set(extents.minPoint().x, extents.minPoint().y);
    high.set(extents.maxPoint().x, extents.maxPoint().y);
    if (FinitePoint(low) && FinitePoint(high))
        return OutlineBox::Measured;
    constexpr double kAll = std::numeric_limits<double>::max();
    low.set(-kAll, -kAll);
    high.set(kAll, kAll);
    return OutlineBox::Everywhere;
}

}  // namespace cadastral
