// Small plane helpers of the town plan.
#pragma once

#include <cmath>
#include <vector>

#include "makedrawing/town_plan.h"

namespace makedrawing {

inline Point2 Centroid(const std::vector<Point2>& ring)
{
    Point2 c;
    for (const auto& p : ring) {
        c.x += p.x;
        c.y += p.y;
    }
    c.x /= static_cast<double>(ring.size());
    c.y /= static_cast<double>(ring.size());
    return c;
}

// The point moved by distance towards (positive) or away from (negative) the target.
inline Point2 MoveTowards(const Point2& p, const Point2& target, double distance)
{
    double dx = target.x - p.x;
    double dy = target.y - p.y;
    double length = std::hypot(dx, dy);
    return {p.x + dx / length * distance, p.y + dy / length * distance};
}

}  // namespace makedrawing
