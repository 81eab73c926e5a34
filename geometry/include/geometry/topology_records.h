#pragma once
// The records the topology builder and the face tracer share, and the comparisons that make one
// key of nearly equal geometry.
#include <cstdint>
#include <vector>

#include "geometry/point2d.h"

namespace geometry {

// Points closer than this on both axes are the same node.
constexpr double kPointTolerance = 1e-5;
// Bulges closer than this are the same arc.
constexpr double kBulgeTolerance = 1e-7;

// One piece of an input ring between two consecutive cut points. A piece and its reverse (ends
// exchanged, bulge negated) are the same piece.
struct TopoSegment {
    Point2d start;
    Point2d end;
    double bulge = 0.0;
};

// One directed edge of the tracer's graph, owned by the node it leaves.
struct TopoEdge {
    PointList points;       // from its own start to its own end, at least 2 points
    int direction = 0;      // 0 as added, 1 for the reverse twin
    Point2d firstDirection; // from the first point to the second, fixed when the edge is made
    double angle = 0.0;     // of firstDirection, in [0, 2 pi)
    uint32_t fromNode = 0;
    uint32_t toNode = 0;
};

// A node of the tracer's graph.
struct TopoNode {
    Point2d point;
    std::vector<TopoEdge> edges;  // sorted by angle, largest first
    int visitMark = -1;           // number of the walk that last entered the node
};

// One traced ring: the start node's point first, not repeated at the end, more than 2 points.
struct TopoFace {
    PointList points;
};

// -1, 0 or 1: 0 when the points are within kPointTolerance on both axes; otherwise by x when the
// x values are that far apart, else by y.
int ComparePoints(const Point2d& a, const Point2d& b);

// -1, 0 or 1, on both pieces brought into the direction in which the start compares before the
// end: by start, then end (ComparePoints), then bulge (equal within kBulgeTolerance).
int CompareSegments(TopoSegment a, TopoSegment b);

// The direction, in [0, 2 pi), of the vector (x, y).
double VectorAngle(double x, double y);

}  // namespace geometry
