#pragma once
// The set of cut pieces, where a piece and its reverse are one key. Ends are matched through
// point clusters (within kPointTolerance, the first end seen represents) and bulges within
// kBulgeTolerance; the set is ordered exactly, by the representatives of the ends in canonical
// direction and then by bulge. For ends that are not bunched within the tolerance this is the
// order CompareSegments gives.
#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/point_clusters.h"
#include "geometry/topology_records.h"

namespace geometry {

namespace detail {
class FlatKeyMap;
}

class PieceSet {
public:
    PieceSet();
    ~PieceSet();

    // Adds the piece unless an equal one is already there; returns whether it was added. The
    // stored piece keeps the direction it was first added in, with its ends moved onto their
    // clusters' representatives.
    bool Insert(const TopoSegment& piece);
    size_t Size() const { return pieces_.size(); }
    // The pieces in set order.
    std::vector<TopoSegment> Ordered() const;

private:
    struct Piece {
        TopoSegment segment;
        uint32_t low = 0;  // clusters of the ends in canonical direction
        uint32_t high = 0;
        double canonicalBulge = 0.0;
        uint32_t next = 0;  // next piece between the same two clusters
    };

    PointClusters clusters_;
    std::vector<Piece> pieces_;
    std::unique_ptr<detail::FlatKeyMap> byEnds_;
};

}  // namespace geometry
