#pragma once
// Joins edges (point lists) at their ends into a planar graph and walks it into closed rings,
// turning as far left as possible at every node: bounded faces come out counter-clockwise, the
// outline of each connected group of edges clockwise.
#include <cstdint>
#include <vector>

#include "geometry/point2d.h"
#include "geometry/point_clusters.h"
#include "geometry/topology_records.h"

namespace geometry {

class FaceTracer {
public:
    FaceTracer();

    // AddEdge on a copy of every list, in order.
    void AddEdges(const std::vector<PointList>& edges, bool forward);
    // Adds one edge and its reverse twin. The list is trimmed of repeated end points and may be
    // reversed in place; an edge that closes on itself is split at its middle point.
    void AddEdge(PointList& points, bool forward);
    // The node at p (within kPointTolerance of the first point seen there), made when missing.
    uint32_t GetOrCreateNode(const Point2d& p);

    // Traces all faces once: flag 1 keeps the clockwise walks (outlines of connected groups), any
    // other value the counter-clockwise walks (cells). A second call does nothing.
    void TraceFaces(int flag);

    const std::vector<TopoFace>& Faces() const { return faces_; }
    const std::vector<TopoNode>& Nodes() const { return nodes_; }

private:
    void InsertEdge(uint32_t node, TopoEdge edge, bool forward);
    void PrepareNodes();
    // Walks from the end of start's edge at `edgeIndex` back to start; 0 keeps the face, 1 drops
    // it (both consume the edges walked), 2 is a dead end.
    int WalkFace(uint32_t start, size_t edgeIndex, int walk, bool counterClockwise);

    PointClusters clusters_;
    std::vector<TopoNode> nodes_;
    std::vector<uint32_t> walkOrder_;
    std::vector<TopoFace> faces_;
    bool traced_ = false;
};

// True when the points of all lists taken as one closed sequence run clockwise: the trapezoid
// sum of (x2 - x1) (y2 + y1) / 2 over it is at least 0.
bool IsPartsClockwise(const std::vector<PointList>& parts);

}  // namespace geometry
