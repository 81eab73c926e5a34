#include "geometry/ring_relation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "geometry/bulge_polygon.h"
#include "geometry/bulge_polyline.h"
#include "geometry/point_segment_tests.h"
#include "geometry/polyline_intersection.h"

namespace geometry {
namespace {

constexpr double kArcTolerance = 0.001;

// Drops repeated vertices, and gives a two-vertex ring with an arc a third vertex in the middle of
// its first arc, so that the point test sees the round outline it is. False when no outline is left.
bool PrepareRing(PointList& points, DoubleList& bulges) {
    if (!RemoveDuplicateVertices(points, bulges)) return false;
    if (points.size() == 2) {
        for (std::size_t i = 0; i < 2; ++i) {
            if (!(std::fabs(bulges[i]) > kArcTolerance)) continue;
            Point2d middle;
            double first = 0.0, second = 0.0;
            if (!PointAtPolylineParameter(points, bulges, static_cast<double>(i) + 0.5, true, kArcTolerance, middle) ||
                !SplitSegmentBulges(points, bulges, i, middle, kArcTolerance, first, second))
                return false;
            bulges[i] = first;
            points.insert(points.begin() + static_cast<std::ptrdiff_t>(i) + 1, middle);
            bulges.insert(bulges.begin() + static_cast<std::ptrdiff_t>(i) + 1, second);
            break;
        }
    }
    return points.size() >= 3;
}

// A ring ready for many questions: where a point lies along it, and where a point lies with
// respect to it. Long rings answer through their segment index instead of walking every side.
class PreparedRing {
public:
    PreparedRing(const PointList& points, const DoubleList& bulges)
        : points_(points), bulges_(bulges), walk_(points), walkBulges_(bulges), polygon_(points, bulges) {
        walk_.push_back(points.front());
        walkBulges_.push_back(0.0);
        segments_ = std::make_unique<PolylineSegments>(walk_, walkBulges_);
    }

    const PointList& Points() const { return points_; }
    const DoubleList& Bulges() const { return bulges_; }
    int Locate(const Point2d& p) const { return polygon_.Locate(p.x, p.y); }

    // The parameter of the first side that holds p, as PointParameterOnPolyline gives it.
    bool Parameter(const Point2d& p, std::vector<uint32_t>& candidates, double& t) const {
        Extents box;
        box.Include(p);
        box.Expand(0.0011);
        candidates.clear();
        segments_->Candidates(box, candidates);
        for (uint32_t i : candidates) {
            double f = 0.0;
            if (PointParameterOnSegment(walk_[i], walk_[i + 1], walkBulges_[i], p, kArcTolerance, f)) {
                t = static_cast<double>(i) + f;
                return true;
            }
        }
        return false;
    }

private:
    const PointList& points_;
    const DoubleList& bulges_;
    PointList walk_;
    DoubleList walkBulges_;
    std::unique_ptr<PolylineSegments> segments_;
    PreparedBulgePolygon polygon_;
};

struct PieceSides {
    bool in = false;
    bool out = false;
    bool on = false;
};

// Cuts `ring` at the meeting points and classifies the middle of each piece against `other`.
// With stopOnOverlap, stops as soon as pieces lie both inside and outside.
PieceSides ClassifyPieces(const PreparedRing& ring, const PreparedRing& other, const PointList& meeting,
                          bool stopOnOverlap) {
    std::vector<double> params;
    params.reserve(meeting.size() + 1);
    std::vector<uint32_t> candidates;
    for (const Point2d& p : meeting) {
        double t = 0.0;
        // A meeting point the ring cannot place gives no cut.
        if (ring.Parameter(p, candidates, t)) params.push_back(t);
    }
    PieceSides sides;
    if (params.empty()) return sides;
    std::sort(params.begin(), params.end());
    // The same place found by several segment pairs cuts once.
    params.erase(std::unique(params.begin(), params.end(), [](double a, double b) { return b - a < 1e-9; }),
                 params.end());
    const double n = static_cast<double>(ring.Points().size());
    params.push_back(params.front() + n);
    for (std::size_t k = 0; k + 1 < params.size(); ++k) {
        double mid = 0.5 * (params[k] + params[k + 1]);
        if (mid > n) mid -= n;
        Point2d p;
        if (!PointAtPolylineParameter(ring.Points(), ring.Bulges(), mid, true, kArcTolerance, p)) continue;
        const int where = other.Locate(p);
        if (where == 1) sides.in = true;
        else if (where == -1) sides.out = true;
        else if (where == 0) sides.on = true;
        if (stopOnOverlap && sides.in && sides.out) break;
    }
    return sides;
}

}  // namespace

int RingRelation(PointList points1, DoubleList bulges1, PointList points2, DoubleList bulges2) {
    if (!PrepareRing(points1, bulges1)) return kRelationFirstUnreadable;
    if (!PrepareRing(points2, bulges2)) return kRelationSecondUnreadable;

    PointList meeting;
    IntersectBulgePolylines(points1, bulges1, points2, bulges2, true, true, kArcTolerance, meeting);
    const PreparedRing ring1(points1, bulges1);
    const PreparedRing ring2(points2, bulges2);
    if (meeting.empty()) {
        for (const Point2d& p : points1)
            if (ring2.Locate(p) == 1) return kRelationFirstInside;
        for (const Point2d& p : points2)
            if (ring1.Locate(p) == 1) return kRelationSecondInside;
        return kRelationApart;
    }

    const PieceSides first = ClassifyPieces(ring1, ring2, meeting, true);
    if (first.in && first.out) return kRelationOverlap;
    const PieceSides second = ClassifyPieces(ring2, ring1, meeting, false);
    if (first.in) return second.out ? kRelationFirstInsideTouching : kRelationTouch;
    if (first.out) return second.out ? kRelationTouch : kRelationSecondInsideTouching;
    if (second.out) return kRelationFirstInsideTouching;
    if (second.in) return kRelationTouch;
    return kRelationEqual;
}

}  // namespace geometry
