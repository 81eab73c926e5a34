#include "geometry/polyline_intersection.h"

#include <algorithm>
#include <cmath>

#include "flat_key_map.h"
#include "geometry/bulge_arc.h"
#include "geometry/pair_intersection.h"

namespace geometry {

namespace {

constexpr double kZeroLength = 1e-10;
constexpr double kEndTolerance = 1e-6;
// Below this many segments a plain scan of the boxes beats building an index.
constexpr size_t kIndexThreshold = 32;
// Points of one call that lie within 1e-6 of each other and within this of each other's
// parameter are one point.
constexpr double kSameParameter = 1e-7;

double BulgeAt(const DoubleList& bulges, size_t k) { return k < bulges.size() ? bulges[k] : 0.0; }

struct SegmentShape {
    Extents box;
    double length = 0.0;
    bool straight = true;
};

// Box and length of one segment. The box is widened by more than any point the pair routines
// can keep lies outside it (the end tolerance, and the relative tolerance of nearly parallel
// lines), so that skipping pairs whose boxes are apart changes no result.
SegmentShape ShapeOf(const Point2d& p0, const Point2d& p1, double bulge) {
    SegmentShape shape;
    const double chord = std::sqrt(SquaredDistance(p0, p1));
    if (!(chord >= kZeroLength)) return shape;
    shape.straight = std::fabs(bulge) < kZeroLength;
    shape.box.Include(p0);
    shape.box.Include(p1);
    shape.length = chord;
    if (!shape.straight) {
        Point2d centre;
        double radius = 0.0;
        ArcCentreFromBulge(p0, p1, bulge, centre, radius);
        shape.length = ArcLength(centre, radius, p0, p1, bulge < 0.0);
        if (std::fabs(bulge) <= 1.0) {
            // At most a half circle: the arc stays within the chord's box widened by the sagitta.
            shape.box.Expand(std::fabs(bulge) * 0.5 * chord);
        } else {
            shape.box.Include(Point2d{centre.x - radius, centre.y - radius});
            shape.box.Include(Point2d{centre.x + radius, centre.y + radius});
        }
    }
    shape.box.Expand(1e-5 + 2e-6 * std::max(shape.length, chord));
    if (!std::isfinite(shape.length) || !std::isfinite(shape.box.min.x) || !std::isfinite(shape.box.max.x) ||
        !std::isfinite(shape.box.min.y) || !std::isfinite(shape.box.max.y)) {
        shape.box = Extents{};
    }
    return shape;
}

int IntersectPair(const Point2d& p0, const Point2d& p1, bool straight1, double bulge1, const PolylineSegments& second,
                  size_t j, const ParameterBounds& bounds1, PointList& points, DoubleList& params) {
    const Point2d& q0 = second.Points()[j];
    const Point2d& q1 = second.Points()[j + 1];
    const ParameterBounds bounds2{SignedSquare(-kEndTolerance), SignedSquare(second.Length(j) + kEndTolerance)};
    if (straight1) {
        if (second.Straight(j)) return SegmentSegmentIntersection(p0, p1, q0, q1, bounds1, bounds2, points, params);
        return SegmentArcIntersection(p0, p1, q0, q1, second.Bulge(j), bounds1, bounds2, points, params);
    }
    if (second.Straight(j)) return ArcSegmentIntersection(p0, p1, bulge1, q0, q1, bounds1, bounds2, points, params);
    return ArcArcIntersection(p0, p1, bulge1, q0, q1, second.Bulge(j), bounds1, bounds2, points, params);
}

int IntersectWithPolyline(const Point2d& p0, const Point2d& p1, double bulge, const SegmentShape& shape,
                          const PolylineSegments& second, const ParameterBounds& bounds1, PointList& points,
                          DoubleList& params, std::vector<uint32_t>& candidates) {
    candidates.clear();
    second.Candidates(shape.box, candidates);
    int count = 0;
    for (uint32_t j : candidates) {
        count += IntersectPair(p0, p1, shape.straight, bulge, second, j, bounds1, points, params);
    }
    return count;
}

// Removes, from position `from` on, every point that lies within 1e-6 of an earlier kept point of
// nearly the same parameter; the first of each group stays. Parameters are bucketed so that the
// search stays linear on long rings.
void RemoveRepeatedPoints(PointList& points, DoubleList& params, size_t from) {
    detail::FlatKeyMap buckets;
    std::vector<uint32_t> next;  // chain of kept entries per bucket, as offsets from `from`
    size_t kept = from;
    for (size_t i = from; i < points.size(); ++i) {
        const double t = params[i];
        const double scaled = std::floor(t / kSameParameter);
        const int64_t bucket = std::isfinite(scaled) && std::fabs(scaled) < 4e18 ? static_cast<int64_t>(scaled) : 0;
        bool repeated = false;
        for (int64_t b = bucket - 1; b <= bucket + 1 && !repeated; ++b) {
            for (uint32_t k = buckets.Find(static_cast<uint64_t>(b)); k != detail::FlatKeyMap::kNone; k = next[k]) {
                const size_t at = from + k;
                if (std::fabs(params[at] - t) < kSameParameter && SquaredDistance(points[at], points[i]) < 1e-12) {
                    repeated = true;
                    break;
                }
            }
        }
        if (repeated) continue;
        points[kept] = points[i];
        params[kept] = t;
        const uint32_t slot = static_cast<uint32_t>(kept - from);
        next.push_back(buckets.Find(static_cast<uint64_t>(bucket)));
        buckets.Set(static_cast<uint64_t>(bucket), slot);
        ++kept;
    }
    points.resize(kept);
    params.resize(kept);
}

}  // namespace

PolylineSegments::PolylineSegments(const PointList& points, const DoubleList& bulges) : points_(points) {
    if (points.size() < 2) return;
    segments_.resize(points.size() - 1);
    std::vector<Extents> boxes(segments_.size());
    for (size_t j = 0; j < segments_.size(); ++j) {
        const double bulge = BulgeAt(bulges, j);
        const SegmentShape shape = ShapeOf(points[j], points[j + 1], bulge);
        segments_[j] = {shape.box, bulge, shape.length, shape.straight};
        boxes[j] = shape.box;
        bounds_.Include(shape.box);
    }
    if (segments_.size() > kIndexThreshold) index_ = std::make_unique<BoxIndex>(boxes);
}

PolylineSegments::~PolylineSegments() = default;

void PolylineSegments::Candidates(const Extents& box, std::vector<uint32_t>& out) const {
    if (index_) {
        const size_t from = out.size();
        index_->Query(box, out);
        std::sort(out.begin() + static_cast<std::ptrdiff_t>(from), out.end());
        return;
    }
    for (uint32_t j = 0; j < segments_.size(); ++j) {
        if (ExtentsTouch(segments_[j].box, box)) out.push_back(j);
    }
}

int SegmentPolylineIntersections(const Point2d& p0, const Point2d& p1, const PolylineSegments& polyline,
                                 const ParameterBounds& bounds1, PointList& points, DoubleList& params) {
    std::vector<uint32_t> candidates;
    return IntersectWithPolyline(p0, p1, 0.0, ShapeOf(p0, p1, 0.0), polyline, bounds1, points, params, candidates);
}

int ArcPolylineIntersections(const Point2d& p0, const Point2d& p1, double bulge, const PolylineSegments& polyline,
                             const ParameterBounds& bounds1, PointList& points, DoubleList& params) {
    std::vector<uint32_t> candidates;
    return IntersectWithPolyline(p0, p1, bulge, ShapeOf(p0, p1, bulge), polyline, bounds1, points, params,
                                 candidates);
}

int AppendPolylineIntersections(const PolylineSegments& first, const PolylineSegments& second, PointList& points,
                                DoubleList& params) {
    const size_t from = points.size();
    if (first.Count() == 0 || second.Count() == 0) return 0;
    const PointList& points1 = first.Points();
    const size_t last = first.Count() - 1;
    std::vector<uint32_t> candidates;
    for (size_t k = 0; k < first.Count(); ++k) {
        // Segments too short to have a direction have an empty box and touch nothing.
        if (!ExtentsTouch(first.Box(k), second.Bounds())) continue;
        // A vertex belongs to the segment that starts there; only the last segment keeps its end.
        const double upper = first.Length(k) + (k == last ? kEndTolerance : -kEndTolerance);
        const ParameterBounds bounds1{SignedSquare(-kEndTolerance), SignedSquare(upper)};
        const size_t before = points.size();
        candidates.clear();
        second.Candidates(first.Box(k), candidates);
        for (uint32_t j : candidates) {
            IntersectPair(points1[k], points1[k + 1], first.Straight(k), first.Bulge(k), second, j, bounds1, points,
                          params);
        }
        for (size_t i = before; i < params.size(); ++i) params[i] += static_cast<double>(k);
    }
    RemoveRepeatedPoints(points, params, from);
    return static_cast<int>(points.size() - from);
}

int PolylineIntersections(const PointList& points1, const DoubleList& bulges1, const PointList& points2,
                          const DoubleList& bulges2, PointList& points, DoubleList& params) {
    points.clear();
    params.clear();
    const PolylineSegments first(points1, bulges1);
    const PolylineSegments second(points2, bulges2);
    return AppendPolylineIntersections(first, second, points, params);
}

}  // namespace geometry
