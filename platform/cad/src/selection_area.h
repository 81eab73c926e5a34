// The area of a graphical selection (window, crossing, polygons, fence) and the test of an
// entity's real geometry against it.
#pragma once

#include <vector>

#include "platform/cad/curve_path.h"
#include "platform/cad/ge_types.h"
#include "spatial_index.h"

class AcDbEntity;

namespace platform::cad {

enum class AreaKind { Window, Crossing, WindowPolygon, CrossingPolygon, Fence };

class SelectionArea {
public:
    // Windows take their two corners; polygons and fences their points in order.
    SelectionArea(AreaKind kind, const std::vector<AcGePoint2d>& points);
    const Box2d& Bounds() const { return bounds_; }
    // Whether the entity, whose box is given, is selected.
    bool Selects(const AcDbEntity& entity, const Box2d& box) const;
    // What Selects asks of the box alone: false means it is not selected, whatever the entity.
    bool MayTake(const Box2d& box) const;

private:
    // Where an entity lies against the area when no edge comes near its box: then its box alone
    // decides, as the shape's own tests would.
    enum class Side { Inside, Outside, Near };
    Side SideOf(const AcDbEntity& entity, const Box2d& box) const;
    Side SideOfBox(const Box2d& box, double shapeMagnitude) const;
    bool Inside(const AcGePoint3d& point) const;
    AreaKind kind_;
    std::vector<AcGePoint2d> points_;  // the polygon (closing edge implied) or the fence
    CurvePath edges_;
    Box2d bounds_;
    double magnitude_ = 0;  // of the area's points
};

}  // namespace platform::cad
