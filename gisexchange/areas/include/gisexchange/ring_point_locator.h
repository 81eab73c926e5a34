// Where a point lies with respect to a ring: a binary space partition of the ring's edges. Each
// tree node splits the plane along one edge's line; edges crossing that line are cut in two; a
// point is located by descending the tree. Built once per ring, asked many times.
#pragma once

#include <memory>
#include <vector>

#include "platform/cad/ac_array.h"

namespace gisexchange {

struct BoundarySegment {
    AcGePoint2d start;
    AcGePoint2d end;
    double length = 0;
};

BoundarySegment MakeBoundarySegment(const AcGePoint2d& start, const AcGePoint2d& end);

// Sides: for a directed segment the right-hand side is positive (front), the left negative (back).
// Ring segments run counter-clockwise, so the inside is the back.
struct SegmentBspNode {
    SegmentBspNode() = default;
    SegmentBspNode(const SegmentBspNode&) = delete;
    SegmentBspNode& operator=(const SegmentBspNode&) = delete;
    // Frees the subtree without descending through the call stack.
    ~SegmentBspNode();

    BoundarySegment splitter;
    std::vector<BoundarySegment> coincident;  // the splitter first, then those on its line
    std::unique_ptr<SegmentBspNode> front;
    std::unique_ptr<SegmentBspNode> back;
};

class RingPointLocator {
public:
    // The ring is edited: its closing repeat and consecutive duplicates are taken out.
    explicit RingPointLocator(AcGePoint2dArray& ring);

    // Longest first.
    std::vector<BoundarySegment> segments;
    std::unique_ptr<SegmentBspNode> root;  // none when the ring has no two distinct points
};

// -1 inside, 0 on the boundary, 1 outside; 1 for every point when the locator has no tree.
int LocatePoint(const RingPointLocator& locator, const AcGePoint2d& point);

// The ring's segments counter-clockwise; the ring loses its closing repeat and consecutive points
// within 1e-6 of each other.
std::vector<BoundarySegment> BuildRingSegments(AcGePoint2dArray& ring);
// -1 left, 0 on the line, 1 right; the unnormalised cross product against 1e-6.
int SideOfSegment(const BoundarySegment& segment, const AcGePoint2d& point);
// Whether the point's projection falls within the segment.
bool IsPointOnSegment(const BoundarySegment& segment, const AcGePoint2d& point);
// 0 on the splitter's line, 1 front, -1 back, 2 cut into a front and a back piece.
int ClassifySegment(const BoundarySegment& splitter, const BoundarySegment& segment, BoundarySegment& front,
                    BoundarySegment& back);
// Inserts before the first shorter segment, so equal lengths keep their arrival order.
void InsertByLength(std::vector<BoundarySegment>& list, const BoundarySegment& segment);
// Builds the subtree of the node from a list in decreasing length (not empty).
void BuildBspNode(SegmentBspNode& node, std::vector<BoundarySegment> list);
int LocateInBspNode(const SegmentBspNode& node, const AcGePoint2d& point);

}  // namespace gisexchange
