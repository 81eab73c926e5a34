// Region assembly: open boundary pieces that meet only at their ends are linked into the closed
// faces they enclose. Every piece becomes two directed half-edges between two nodes; each node
// keeps its outgoing half-edges in decreasing direction angle, and a walk that always turns to the
// next half-edge clockwise from the way it came in keeps the face on its left. Bounded faces close
// counter-clockwise and are kept; the walk around the outside of each group closes clockwise and is
// thrown away. Planar; a bulged span counts as its chord.
#pragma once

#include <memory>
#include <vector>

#include "platform/cad/ac_array.h"

namespace gisexchange {

struct RegionNode;

// One direction of a piece.
struct RegionEdge {
    AcGePoint2dArray points;  // from this edge's node to the far node
    AcGeVector2d direction;   // first to second point
    double angle = 0;         // of the direction, [0, 2 pi)
    RegionNode* from = nullptr;
    RegionNode* to = nullptr;
};

struct RegionNode {
    AcGePoint2d position;
    std::vector<std::unique_ptr<RegionEdge>> edges;  // decreasing angle; equal angles by arrival
    int mark = -1;                                   // the last walk that entered the node
};

struct RegionBuilder {
    // Counter-clockwise, first vertex not repeated, more than two vertices each.
    std::vector<AcGePoint2dArray> rings;
    // Every node in creation order.
    std::vector<std::unique_ptr<RegionNode>> nodes;
    // Nodes with three or more half-edges, two, one; refilled before each assembly.
    std::vector<RegionNode*> byDegree[3];
    // Nodes by a coarse grid cell of their position, so that a point finds its node without
    // scanning them all.
    struct Cells;
    std::shared_ptr<Cells> cells;
};

// AddPiece for each piece in order; the pieces are worked on in place.
void AddPieces(RegionBuilder& builder, std::vector<AcGePoint2dArray>& pieces);
// Drops repeated end points, splits a closed piece in two, and links an open one between the nodes
// of its ends (the piece is left reversed). Pieces of fewer than two distinct points are ignored.
void AddPiece(RegionBuilder& builder, AcGePoint2dArray& points);
// The first node within 1e-7 of the point, in creation order; a new node when there is none.
RegionNode* FindOrAddNode(RegionBuilder& builder, const AcGePoint2d& point);
void OrderNodesByDegree(RegionBuilder& builder);
// Walks every face; the bounded ones go to `rings`. Half-edges of closed walks are consumed.
void AssembleRegions(RegionBuilder& builder);

// Signed area by the trapezoid rule, closing span included; positive counter-clockwise.
double RingArea(const AcGePoint2dArray& points);
void ReversePoint2dArray(AcGePoint2dArray& points);
// The parts' points taken in order as one ring: true when the orientation sum is 0 or more.
bool IsRingPartsClockwise(const std::vector<const AcGePoint2dArray*>& parts);

}  // namespace gisexchange
