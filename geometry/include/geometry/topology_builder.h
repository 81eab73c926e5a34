#pragma once
// Cuts a set of closed rings (points with bulges) at every point where they meet each other or
// themselves, keeps each resulting piece once whichever ring and direction it came from, and
// turns the pieces into the edges of a planar graph.
#include <vector>

#include "geometry/extents.h"
#include "geometry/piece_set.h"
#include "geometry/point2d.h"
#include "geometry/progress_sink.h"
#include "geometry/topology_records.h"

namespace geometry {

class TopologyBuilder {
public:
    explicit TopologyBuilder(ProgressSink& progress = SilentProgress());

    // Appends a copy of one closed ring (last point repeating the first; bulge k belongs to the
    // segment from point k to point k + 1) with its extents.
    void AddPolyline(const PointList& points, const DoubleList& bulges);
    // Cuts all rings into the piece set. Call once, after all rings are added.
    void CutSegments();
    // Fills the edge lists from the piece set, in the set's order.
    void BuildEdges();

    const PieceSet& Pieces() const { return pieces_; }
    const std::vector<PointList>& EdgePoints() const { return edgePoints_; }
    const std::vector<DoubleList>& EdgeBulges() const { return edgeBulges_; }

private:
    struct Ring {
        PointList points;
        DoubleList bulges;
        Extents extents;
    };

    ProgressSink& progress_;
    std::vector<Ring> rings_;
    PieceSet pieces_;
    std::vector<PointList> edgePoints_;
    std::vector<DoubleList> edgeBulges_;
};

// Rings in, traced rings out. With the outline flag, one clockwise ring per connected group of
// rings (the outline of their union); without it, one counter-clockwise ring per bounded face of
// the cut boundaries. Arcs come back as their chords, so the face bulge list stays empty.
// Returns false, with both outputs empty, when the input is unusable: the two ring lists differ
// in length, a ring's bulge list differs in length from its point list, or a coordinate or bulge
// is not a finite number.
bool BuildRingFaces(const std::vector<PointList>& ringPoints, const std::vector<DoubleList>& ringBulges,
                    std::vector<PointList>& facePoints, std::vector<DoubleList>& faceBulges, bool outline,
                    ProgressSink& progress = SilentProgress());

}  // namespace geometry
