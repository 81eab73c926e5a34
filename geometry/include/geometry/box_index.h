#pragma once
// A static packed R-tree over boxes. Cutting compares every ring (and every segment of a long
// ring) only with what lies near it; testing all pairs would grow with the square of a drawing.
#include <cstdint>
#include <vector>

#include "geometry/extents.h"

namespace geometry {

class BoxIndex {
public:
    explicit BoxIndex(const std::vector<Extents>& boxes);

    // Appends the indexes of the boxes that touch the query box (closed boxes, as ExtentsTouch),
    // in no particular order.
    void Query(const Extents& query, std::vector<uint32_t>& out) const;

private:
    struct Node {
        Extents box;
        uint32_t first = 0;  // first child in the level below, or first slot of order_ in a leaf
        uint32_t count = 0;
    };

    std::vector<Extents> boxes_;
    std::vector<uint32_t> order_;           // item indexes in packing order
    std::vector<std::vector<Node>> levels_;  // levels_[0] are the leaves; the last level is the root
};

}  // namespace geometry
