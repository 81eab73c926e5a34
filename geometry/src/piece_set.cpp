#include "geometry/piece_set.h"

#include <algorithm>
#include <cmath>

#include "flat_key_map.h"

namespace geometry {

PieceSet::PieceSet() : clusters_(kPointTolerance), byEnds_(std::make_unique<detail::FlatKeyMap>()) {}
PieceSet::~PieceSet() = default;

bool PieceSet::Insert(const TopoSegment& piece) {
    const uint32_t s = clusters_.Insert(piece.start);
    const uint32_t e = clusters_.Insert(piece.end);
    const bool swap = clusters_.Before(e, s);
    Piece added;
    added.segment = {clusters_.Representative(s), clusters_.Representative(e), piece.bulge};
    added.low = swap ? e : s;
    added.high = swap ? s : e;
    added.canonicalBulge = swap ? -piece.bulge : piece.bulge;

    const uint64_t key = (static_cast<uint64_t>(added.low) << 32) | added.high;
    const uint32_t head = byEnds_->Find(key);
    for (uint32_t k = head; k != detail::FlatKeyMap::kNone; k = pieces_[k].next) {
        if (std::fabs(pieces_[k].canonicalBulge - added.canonicalBulge) < kBulgeTolerance) return false;
    }
    added.next = head;
    byEnds_->Set(key, static_cast<uint32_t>(pieces_.size()));
    pieces_.push_back(added);
    return true;
}

std::vector<TopoSegment> PieceSet::Ordered() const {
    std::vector<uint32_t> order(pieces_.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const Piece& p = pieces_[a];
        const Piece& q = pieces_[b];
        if (p.low != q.low) return clusters_.Before(p.low, q.low);
        if (p.high != q.high) return clusters_.Before(p.high, q.high);
        return p.canonicalBulge < q.canonicalBulge;
    });
    std::vector<TopoSegment> ordered;
    ordered.reserve(order.size());
    for (uint32_t i : order) ordered.push_back(pieces_[i].segment);
    return ordered;
}

}  // namespace geometry
