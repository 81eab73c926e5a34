#pragma once
// Axis-aligned boxes: ring extents for pruning which rings are cut against each other, and the
// boxes of the spatial index.
#include "geometry/point2d.h"

namespace geometry {

struct Extents {
    Point2d min{1.0, 1.0};
    Point2d max{-1.0, -1.0};  // min > max: empty, touches nothing

    bool IsEmpty() const { return !(min.x <= max.x && min.y <= max.y); }
    void Include(const Point2d& p);
    void Include(const Extents& other);
    void Expand(double margin);
};

// The box around the points, with no margin; empty for an empty list.
Extents PointsExtents(const PointList& points);

// True when the two closed boxes overlap or touch; no tolerance is added. An empty box touches
// nothing (its min lies above its max, so the comparisons fail by themselves).
inline bool ExtentsTouch(const Extents& a, const Extents& b) {
    return a.min.x <= b.max.x && b.min.x <= a.max.x && a.min.y <= b.max.y && b.min.y <= a.max.y &&
           a.min.x <= a.max.x && b.min.x <= b.max.x && a.min.y <= a.max.y && b.min.y <= b.max.y;
}

}  // namespace geometry
