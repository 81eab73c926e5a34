#pragma once
// Small distance questions of the gap checks and the gap fusion: how far a point lies from a list
// of points or from an open polyline, and a grid of points already visited that says at once
// whether one lies within the grid's distance of a new point.
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/point2d.h"

namespace geometry {

// (a.x - b.x)² + (a.y - b.y)².
double SquaredDistance2d(const Point2d& a, const Point2d& b);

// True when the list holds a point whose squared distance to p is at most d²; false for an empty
// list.
bool AnyPointWithin(const PointList& points, const Point2d& p, double d);

// The distance from p to the nearest point of the list, that point written out (the first of equal
// distances wins); 0 and `nearest` untouched for an empty list.
double NearestPointDistance(const PointList& points, const Point2d& p, Point2d& nearest);

// The shortest distance from p to the open polyline through the points; 0 for an empty list, the
// distance to the point for a single one.
double DistanceToPolyline(const PointList& points, const Point2d& p);

// Points bucketed in square cells as wide as the distance asked about, so that "is a point within
// d of p" looks at the few cells around p only. The answers are those of AnyPointWithin over every
// point added. A distance that is not a finite number above 0 makes a grid that only ever answers
// by an exact match of its points.
class PointGrid {
public:
    explicit PointGrid(double distance);
    ~PointGrid();
    PointGrid(const PointGrid&) = delete;
    PointGrid& operator=(const PointGrid&) = delete;

    void Add(const Point2d& p);
    // True when a point added lies within the grid's distance of p (squared distance at most d²).
    bool AnyWithin(const Point2d& p) const;
    // AnyWithin, and when none does p is added; true when p was already covered.
    bool TestAndAdd(const Point2d& p);
    std::size_t Size() const { return size_; }

private:
    class Cells;
    std::int64_t CellIndex(double coordinate) const;

    double distance_;
    double cell_;
    // Each cell's most recent point heads a list through next_; cells whose keys happen to meet
    // share a list, which only adds points to the distance test.
    std::unique_ptr<Cells> heads_;
    PointList points_;
    std::vector<std::uint32_t> next_;
    std::size_t size_ = 0;
};

}  // namespace geometry
