#pragma once
// Where a point lies with respect to a closed ring whose sides may be circular arcs.
#include <memory>

#include "geometry/point2d.h"

namespace geometry {

// 1 inside, -1 outside, 0 on the boundary (within 0.001 of a straight side, 1e-6 of an arc);
// -2 for a ring of fewer than 3 vertices or lists of different lengths. The ring is implicitly
// closed; bulge i belongs to the side from vertex i to vertex i + 1, |bulge| below 0.001 is
// straight.
int PointInBulgePolygon(const PointList& points, const DoubleList& bulges, double x, double y);

// The same test prepared for many points: the sides' boxes go into an index, so that each point
// looks only at the sides near the ray to its right. The lists must outlive it.
class PolylineSegments;
class PreparedBulgePolygon {
public:
    PreparedBulgePolygon(const PointList& points, const DoubleList& bulges);
    ~PreparedBulgePolygon();
    int Locate(double x, double y) const;

private:
    PointList walk_;  // the ring with its first vertex again at the end
    DoubleList bulges_;
    std::unique_ptr<PolylineSegments> segments_;
    bool valid_ = false;
};

}  // namespace geometry
