#include "geometry/ring_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "geometry/bulge_polygon.h"
#include "geometry/bulge_polyline.h"
#include "geometry/point_in_arc_ring.h"

namespace geometry {
namespace {

constexpr double kVertexTolerance = 0.001;
constexpr double kArcTolerance = 0.001;

bool Near(const Point2d& a, const Point2d& b) { return SquaredDistance(a, b) <= kVertexTolerance * kVertexTolerance; }

void Reverse(BulgeRing& ring) {
    const std::size_t n = ring.points.size();
    if (n < 2) return;
    BulgeRing reversed;
    reversed.points.reserve(n);
    reversed.bulges.reserve(n);
    // First vertex stays first; the side ending at old vertex k now starts there.
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (n - k) % n;
        reversed.points.push_back(ring.points[i]);
        reversed.bulges.push_back(-ring.bulges[(i + n - 1) % n]);
    }
    ring = std::move(reversed);
}

struct Piece {
    int source = 0;  // 0 the first ring, 1 the second
    std::size_t start = 0;
    std::size_t end = 0;
    Point2d test;
    int inFirst = 0;  // PointInRing codes of the test point
    int inSecond = 0;
};

class PieceChainer {
public:
    PieceChainer(const BulgeRing* rings, double areaTolerance) : rings_(rings), tolerance_(areaTolerance) {}

    // Cuts both rings at the vertices that are crossing points; false when a ring has none.
    bool Cut(const PointList& crossings) {
        for (int source = 0; source < 2; ++source) {
            const BulgeRing& ring = rings_[source];
            std::vector<std::size_t> marks;
            for (std::size_t i = 0; i < ring.points.size(); ++i)
                if (IndexOfPoint(crossings, ring.points[i]) >= 0) marks.push_back(i);
            if (marks.empty()) return false;
            for (std::size_t k = 0; k < marks.size(); ++k) {
                Piece piece;
                piece.source = source;
                piece.start = marks[k];
                piece.end = marks[(k + 1) % marks.size()];
                if (!PointAtPolylineParameter(ring.points, ring.bulges, static_cast<double>(piece.start) + 0.5, true,
                                              kArcTolerance, piece.test))
                    return false;
                piece.inFirst = PointInRing(rings_[0], piece.test);
                piece.inSecond = PointInRing(rings_[1], piece.test);
                if (piece.inFirst < 0 || piece.inSecond < 0) return false;
                pieces_.push_back(piece);
            }
        }
        return true;
    }

    const std::vector<Piece>& Pieces() const { return pieces_; }
    const Point2d& StartOf(const Piece& p) const { return rings_[p.source].points[p.start]; }
    const Point2d& EndOf(const Piece& p) const { return rings_[p.source].points[p.end]; }

    // Chains rings: `starts` says which pieces may open a ring, `next` picks the piece that
    // continues one (or pieces_.size() for none). A ring that cannot close is dropped.
    template <typename Starts, typename Next>
    void Chain(Starts starts, Next next, OverlayOutcome& outcome) {
        used_.assign(pieces_.size(), false);
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            if (used_[i] || !starts(pieces_[i])) continue;
            std::vector<std::size_t> chain{i};
            used_[i] = true;
            const Point2d first = StartOf(pieces_[i]);
            for (;;) {
                const std::size_t last = chain.back();
                if (Near(EndOf(pieces_[last]), first)) {
                    EmitPieceChain(chain, outcome);
                    break;
                }
                const std::size_t j = next(last);
                if (j >= pieces_.size()) break;
                used_[j] = true;
                chain.push_back(j);
            }
        }
    }

    bool Used(std::size_t i) const { return used_[i]; }

    // The ring of the pieces in order: each piece's vertices from its start up to its end.
    BulgeRing RingOf(const std::vector<std::size_t>& chain) const {
        BulgeRing ring;
        for (std::size_t index : chain) {
            const Piece& piece = pieces_[index];
            const BulgeRing& source = rings_[piece.source];
            const std::size_t n = source.points.size();
            std::size_t k = piece.start;
            do {
                ring.points.push_back(source.points[k]);
                ring.bulges.push_back(source.bulges[k]);
                k = (k + 1) % n;
            } while (k != piece.end);
        }
        return ring;
    }

    // The ring of the chained pieces, kept when its area reaches the tolerance.
    bool EmitPieceChain(const std::vector<std::size_t>& chain, OverlayOutcome& outcome) const {
        BulgeRing ring = RingOf(chain);
        if (std::fabs(SignedRingArea(ring)) < tolerance_) return false;
        outcome.rings.push_back(std::move(ring));
        return true;
    }

private:
    const BulgeRing* rings_;
    double tolerance_;
    std::vector<Piece> pieces_;
    std::vector<bool> used_;
};

// A vertex of `inner` that lies strictly inside `outer`.
bool SomeVertexInside(const BulgeRing& inner, const BulgeRing& outer) {
    for (const Point2d& p : inner.points)
        if (PointInRing(outer, p) == 1) return true;
    return false;
}

OverlayOutcome Intersection(PieceChainer& cut) {
    OverlayOutcome outcome;
    const std::vector<Piece>& pieces = cut.Pieces();
    auto noneOutside = [&](int source) {
        for (const Piece& p : pieces)
            if (p.source == source && (source == 0 ? p.inSecond : p.inFirst) == 0) return false;
        return true;
    };
    if (noneOutside(0)) {
        outcome.copy = 1;
        outcome.status = 1;
        outcome.result = 2;
        return outcome;
    }
    if (noneOutside(1)) {
        outcome.copy = 2;
        outcome.status = 2;
        outcome.result = 2;
        return outcome;
    }
    auto keeps = [](const Piece& p) { return p.inFirst >= 1 && p.inSecond >= 1; };
    cut.Chain(keeps,
              [&](std::size_t last) {
                  const Point2d& end = cut.EndOf(pieces[last]);
                  for (std::size_t j = 0; j < pieces.size(); ++j)
                      if (!cut.Used(j) && keeps(pieces[j]) && Near(cut.StartOf(pieces[j]), end)) return j;
                  return pieces.size();
              },
              outcome);
    if (!outcome.rings.empty()) outcome.status = 4;
    outcome.result = 1;
    return outcome;
}

OverlayOutcome Union(PieceChainer& cut) {
    OverlayOutcome outcome;
    const std::vector<Piece>& pieces = cut.Pieces();
    auto anyOutside = [&](int source) {
        for (const Piece& p : pieces)
            if (p.source == source && (p.inFirst == 0 || p.inSecond == 0)) return true;
        return false;
    };
    if (!anyOutside(0)) {
        outcome.copy = 2;
        outcome.status = 1;
        outcome.result = 2;
        return outcome;
    }
    if (!anyOutside(1)) {
        outcome.copy = 1;
        outcome.status = 2;
        outcome.result = 2;
        return outcome;
    }
    auto opens = [](const Piece& p) { return p.source == 0 && (p.inFirst == 0 || p.inSecond == 0); };
    auto continues = [](const Piece& p) {
        return p.inFirst == 0 || p.inSecond == 0 || (p.inFirst == 2 && p.inSecond == 2);
    };
    const std::size_t m = pieces.size();
    cut.Chain(opens,
              [&](std::size_t last) {
                  const Point2d& end = cut.EndOf(pieces[last]);
                  // The other ring's piece first; only when none continues, the same ring's.
                  for (bool other : {true, false})
                      for (std::size_t k = 1; k <= m; ++k) {
                          const std::size_t j = (last + k) % m;
                          if (cut.Used(j) || !continues(pieces[j])) continue;
                          if ((pieces[j].source != pieces[last].source) != other) continue;
                          if (Near(cut.StartOf(pieces[j]), end)) return j;
                      }
                  return m;
              },
              outcome);
    if (!outcome.rings.empty()) outcome.status = 4;
    outcome.result = 1;
    return outcome;
}

OverlayOutcome Difference(PieceChainer& cut) {
    OverlayOutcome outcome;
    const std::vector<Piece>& pieces = cut.Pieces();
    // A stretch both boundaries share bounds A minus B only where B lies on its far side: there
    // B, turned clockwise, runs along it the same way as A. A's piece stands for both.
    auto sameWayInSecond = [&](const Piece& p) {
        for (const Piece& q : pieces)
            if (q.source == 1 && Near(cut.StartOf(q), cut.StartOf(p)) && Near(cut.EndOf(q), cut.EndOf(p))) return true;
        return false;
    };
    auto keeps = [&](const Piece& p) {
        if (p.inFirst == 2 && p.inSecond == 2) return p.source == 0 && sameWayInSecond(p);
        return p.inFirst >= 1 && p.inSecond != 1;
    };
    const std::size_t m = pieces.size();
    cut.Chain([&](const Piece& p) { return p.source == 0 && keeps(p); },
              [&](std::size_t last) {
                  const Point2d& end = cut.EndOf(pieces[last]);
                  for (std::size_t k = 1; k <= m; ++k) {
                      const std::size_t j = (last + k) % m;
                      if (!cut.Used(j) && keeps(pieces[j]) && Near(cut.StartOf(pieces[j]), end)) return j;
                  }
                  return m;
              },
              outcome);
    outcome.result = 1;
    return outcome;
}

}  // namespace

double SignedRingArea(const BulgeRing& ring) {
    const std::size_t n = ring.points.size();
    if (n < 2 || ring.bulges.size() != n) return 0.0;
    // About the first vertex, so that survey coordinates keep their digits.
    const Point2d origin = ring.points[0];
    double twice = 0.0;
    double arcs = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const Point2d& s = ring.points[i];
        const Point2d& e = ring.points[(i + 1) % n];
        const double sx = s.x - origin.x, sy = s.y - origin.y, ex = e.x - origin.x, ey = e.y - origin.y;
        twice += sx * ey - ex * sy;
        const double b = ring.bulges[i];
        if (!(std::fabs(b) >= kArcTolerance)) continue;
        // The circular segment between chord and arc: r^2 / 2 (theta - sin theta), theta the
        // included angle; a positive bulge lies to the right of the chord and adds on a
        // counter-clockwise ring.
        const double theta = 4.0 * std::atan(std::fabs(b));
        const double halfChord = std::sqrt(SquaredDistance(s, e)) / 2.0;
        const double sine = std::sin(theta / 2.0);
        if (sine == 0.0) continue;
        const double r = halfChord / sine;
        arcs += (b > 0 ? 1.0 : -1.0) * r * r / 2.0 * (theta - std::sin(theta));
    }
    return twice / 2.0 + arcs;
}

BulgeRing OverlayWorkingRing(const PointList& points, const DoubleList& bulges) {
    BulgeRing ring;
    if (points.size() != bulges.size()) return ring;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (!ring.points.empty() && Near(points[i], ring.points.back())) {
            // The side that leaves the dropped repeat is the one the kept vertex now starts.
            ring.bulges.back() = bulges[i];
            continue;
        }
        ring.points.push_back(points[i]);
        ring.bulges.push_back(bulges[i]);
    }
    if (ring.points.size() > 1 && Near(ring.points.back(), ring.points.front())) {
        ring.points.pop_back();
        ring.bulges.pop_back();
    }
    if (ring.points.size() == 2) {
        const std::size_t k = std::fabs(ring.bulges[0]) >= kArcTolerance ? 0 : 1;
        Point2d middle;
        double first = 0.0, second = 0.0;
        if (std::fabs(ring.bulges[k]) >= kArcTolerance &&
            PointAtPolylineParameter(ring.points, ring.bulges, static_cast<double>(k) + 0.5, true, kArcTolerance,
                                     middle) &&
            SplitSegmentBulges(ring.points, ring.bulges, k, middle, kArcTolerance, first, second)) {
            ring.bulges[k] = first;
            ring.points.insert(ring.points.begin() + static_cast<std::ptrdiff_t>(k + 1), middle);
            ring.bulges.insert(ring.bulges.begin() + static_cast<std::ptrdiff_t>(k + 1), second);
        }
    }
    return ring;
}

void MakeCounterclockwise(BulgeRing& ring) {
    if (SignedRingArea(ring) < 0.0) Reverse(ring);
}

void MakeClockwise(BulgeRing& ring) {
    if (SignedRingArea(ring) > 0.0) Reverse(ring);
}

bool AddCrossingVertex(BulgeRing& ring, const Point2d& p) {
    if (IndexOfPoint(ring.points, p) >= 0) return false;
    double t = 0.0;
    if (!PointParameterOnPolyline(ring.points, ring.bulges, p, true, kArcTolerance, t)) return false;
    const std::size_t k = static_cast<std::size_t>(t);
    double first = 0.0, second = 0.0;
    if (!SplitSegmentBulges(ring.points, ring.bulges, k, p, kArcTolerance, first, second)) return false;
    ring.bulges[k] = first;
    ring.points.insert(ring.points.begin() + static_cast<std::ptrdiff_t>(k + 1), p);
    ring.bulges.insert(ring.bulges.begin() + static_cast<std::ptrdiff_t>(k + 1), second);
    return true;
}

int IndexOfPoint(const PointList& points, const Point2d& p) {
    for (std::size_t i = 0; i < points.size(); ++i)
        if (Near(points[i], p)) return static_cast<int>(i);
    return -1;
}

int PointInRing(const BulgeRing& ring, const Point2d& p) {
    switch (PointInArcRing(ring.points, ring.bulges, p)) {
        case 1: return 1;
        case 0: return 2;
        case -1: return 0;
        default: return -5;
    }
}

OverlayOutcome OverlayCrossingRings(OverlayOperation operation, BulgeRing first, BulgeRing second,
                                    const PointList& crossings, double areaTolerance) {
    OverlayOutcome outcome;
    if (first.points.size() < 3 || second.points.size() < 3 || crossings.empty()) return outcome;
    MakeCounterclockwise(first);
    if (operation == OverlayOperation::kDifference)
        MakeClockwise(second);
    else
        MakeCounterclockwise(second);
    for (const Point2d& p : crossings) {
        AddCrossingVertex(first, p);
        AddCrossingVertex(second, p);
    }
    if (operation == OverlayOperation::kDifference && crossings.size() == 1) {
        // Touching at one point: B cut out of A through it, or A gone inside B, or A untouched.
        const BulgeRing rings[2] = {first, second};
        PieceChainer cut(rings, areaTolerance);
        if (!cut.Cut(crossings)) return outcome;
        if (SomeVertexInside(second, first)) {
            cut.EmitPieceChain({0, 1}, outcome);
            outcome.result = 2;
        } else if (SomeVertexInside(first, second)) {
            outcome.result = 1;
        } else {
            outcome.copy = 1;
            outcome.result = 1;
        }
        return outcome;
    }
    const BulgeRing rings[2] = {std::move(first), std::move(second)};
    PieceChainer cut(rings, areaTolerance);
    if (!cut.Cut(crossings)) return outcome;
    switch (operation) {
        case OverlayOperation::kIntersection: return Intersection(cut);
        case OverlayOperation::kUnion: return Union(cut);
        case OverlayOperation::kDifference: return Difference(cut);
    }
    return outcome;
}

}  // namespace geometry
