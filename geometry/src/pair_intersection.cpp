#include "geometry/pair_intersection.h"

#include <algorithm>
#include <cmath>

#include "geometry/bulge_arc.h"
#include "geometry/circle_intersection.h"
#include "geometry/line_primitives.h"

namespace geometry {

namespace {

// Below this squared length a segment has no direction; the kernel's "zero" length is 1e-10.
constexpr double kZeroSquaredLength = 1e-20;

Point2d Minus(const Point2d& a, const Point2d& b) { return {a.x - b.x, a.y - b.y}; }
Point2d Plus(const Point2d& a, const Point2d& b) { return {a.x + b.x, a.y + b.y}; }
double Cross(const Point2d& a, const Point2d& b) { return a.x * b.y - a.y * b.x; }

// Collects the kept points in the caller's lists, moved back from the local origin.
class Sink {
public:
    Sink(const Point2d& origin, PointList& points, DoubleList& params)
        : origin_(origin), points_(points), params_(params) {}
    void Add(const Point2d& local, double param) { AddExact(Plus(local, origin_), param); }
    // For points that are given end points: moving them to the local origin and back could
    // change their last bits, and shared vertices should stay bit-equal.
    void AddExact(const Point2d& point, double param) {
        points_.push_back(point);
        params_.push_back(param);
        ++count_;
    }
    int Count() const { return count_; }

private:
    Point2d origin_;
    PointList& points_;
    DoubleList& params_;
    int count_ = 0;
};

// An arc in coordinates relative to a local origin. Working near the origin keeps the centres of
// one arc seen from two rings (once in each direction) equal to the last bits, which the
// same-circle test relies on.
struct LocalArc {
    Point2d start;
    Point2d end;
    Point2d centre;
    double radius = 0.0;
    bool clockwise = false;
    double length = 0.0;
    bool valid = false;

    LocalArc(const Point2d& p0, const Point2d& p1, double bulge) : start(p0), end(p1), clockwise(bulge < 0.0) {
        if (SquaredDistance(p0, p1) < kZeroSquaredLength || bulge == 0.0) return;
        ArcCentreFromBulge(p0, p1, bulge, centre, radius);
        length = ArcLength(centre, radius, start, end, clockwise);
        valid = std::isfinite(length) && length > 0.0;
    }
    double DistanceAlong(const Point2d& p) const {
        return ArcParameter(p, centre, start, end, clockwise) * length;
    }
    double Parameter(const Point2d& p) const { return ArcParameter(p, centre, start, end, clockwise); }
};

struct LocalSegment {
    Point2d start;
    Point2d end;
    double length = 0.0;
    bool valid = false;

    LocalSegment(const Point2d& p0, const Point2d& p1) : start(p0), end(p1) {
        const double squared = SquaredDistance(p0, p1);
        length = std::sqrt(squared);
        valid = squared >= kZeroSquaredLength;
    }
    double Parameter(const Point2d& p) const { return ProjectionParameter(p, start, end); }
};

int LineCandidates(const LocalSegment& segment, const LocalArc& arc, Point2d candidates[2]) {
    const LineCoeffs line = LineCoefficients(segment.start.x, segment.start.y, segment.end.x, segment.end.y);
    return LineCircleIntersection(arc.centre.x, arc.centre.y, arc.radius, line.a, line.b, line.c, candidates[0],
                                  candidates[1]);
}

}  // namespace

int IntervalOverlap(double a, double b, double c, double d, double out[2]) {
    if (b < c || a > d) return 0;
    if (b == c) {
        out[0] = b;
        return 1;
    }
    if (a == d) {
        out[0] = a;
        return 1;
    }
    out[0] = std::max(a, c);
    out[1] = std::min(b, d);
    return 2;
}

int SegmentSegmentIntersection(const Point2d& p0, const Point2d& p1, const Point2d& q0, const Point2d& q1,
                               const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                               DoubleList& params) {
    Sink sink(p0, points, params);
    const Point2d d0 = Minus(p1, p0);
    const Point2d d1 = Minus(q1, q0);
    const Point2d e = Minus(q0, p0);
    const double l0 = Dot2(d0.x, d0.y, d0.x, d0.y);
    const double l1 = Dot2(d1.x, d1.y, d1.x, d1.y);
    const double len0 = std::sqrt(l0);
    const double len1 = std::sqrt(l1);

    if (p0 == q0 && d0 == d1) {
        if (WithinBounds(0.0, bounds1) && WithinBounds(0.0, bounds2)) sink.AddExact(p0, 0.0);
        if (WithinBounds(len0, bounds1) && WithinBounds(len1, bounds2)) sink.AddExact(p1, 1.0);
        return sink.Count();
    }
    if (l0 < kZeroSquaredLength || l1 < kZeroSquaredLength) return 0;

    const double cross = Cross(d0, d1);
    if (cross * cross > 1e-12 * l0 * l1) {
        const double s = Cross(e, d1) / cross;
        const double t = Cross(e, d0) / cross;
        if (WithinBounds(s * len0, bounds1) && WithinBounds(t * len1, bounds2)) sink.Add({s * d0.x, s * d0.y}, s);
        return sink.Count();
    }

    const double offset = Cross(e, d0);
    if (offset * offset > 1e-12 * Dot2(e.x, e.y, e.x, e.y) * l0 + 1e-20) return 0;
    const double t0 = Dot2(e.x, e.y, d0.x, d0.y) / l0;
    const double t1 = Dot2(e.x + d1.x, e.y + d1.y, d0.x, d0.y) / l0;
    double overlap[2];
    const int n = IntervalOverlap(0.0, 1.0, std::min(t0, t1), std::max(t0, t1), overlap);
    const LocalSegment second(e, Plus(e, d1));
    for (int k = 0; k < n; ++k) {
        const double s = overlap[k];
        const Point2d local{s * d0.x, s * d0.y};
        if (WithinBounds(s * len0, bounds1) && WithinBounds(second.Parameter(local) * len1, bounds2)) {
            // Ends of the common stretch are ends of one of the segments.
            if (s == 0.0) {
                sink.AddExact(p0, s);
            } else if (s == 1.0) {
                sink.AddExact(p1, s);
            } else if (s == t0) {
                sink.AddExact(q0, s);
            } else if (s == t1) {
                sink.AddExact(q1, s);
            } else {
                sink.Add(local, s);
            }
        }
    }
    return sink.Count();
}

int SegmentArcIntersection(const Point2d& p0, const Point2d& p1, const Point2d& q0, const Point2d& q1, double bulge2,
                           const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                           DoubleList& params) {
    Sink sink(p0, points, params);
    const LocalSegment segment({0.0, 0.0}, Minus(p1, p0));
    const LocalArc arc(Minus(q0, p0), Minus(q1, p0), bulge2);
    if (!segment.valid || !arc.valid) return 0;
    Point2d candidates[2];
    const int n = LineCandidates(segment, arc, candidates);
    for (int k = 0; k < n; ++k) {
        const double s = segment.Parameter(candidates[k]);
        if (WithinBounds(s * segment.length, bounds1) && WithinBounds(arc.DistanceAlong(candidates[k]), bounds2)) {
            sink.Add(candidates[k], s);
        }
    }
    return sink.Count();
}

int ArcSegmentIntersection(const Point2d& p0, const Point2d& p1, double bulge1, const Point2d& q0, const Point2d& q1,
                           const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                           DoubleList& params) {
    Sink sink(p0, points, params);
    const LocalArc arc({0.0, 0.0}, Minus(p1, p0), bulge1);
    const LocalSegment segment(Minus(q0, p0), Minus(q1, p0));
    if (!segment.valid || !arc.valid) return 0;
    Point2d candidates[2];
    const int n = LineCandidates(segment, arc, candidates);
    for (int k = 0; k < n; ++k) {
        const double f = arc.Parameter(candidates[k]);
        if (WithinBounds(f * arc.length, bounds1) &&
            WithinBounds(segment.Parameter(candidates[k]) * segment.length, bounds2)) {
            sink.Add(candidates[k], f);
        }
    }
    return sink.Count();
}

int ArcArcIntersection(const Point2d& p0, const Point2d& p1, double bulge1, const Point2d& q0, const Point2d& q1,
                       double bulge2, const ParameterBounds& bounds1, const ParameterBounds& bounds2, PointList& points,
                       DoubleList& params) {
    Sink sink(p0, points, params);
    const LocalArc first({0.0, 0.0}, Minus(p1, p0), bulge1);
    const LocalArc second(Minus(q0, p0), Minus(q1, p0), bulge2);
    if (!first.valid || !second.valid) return 0;
    Point2d candidates[2];
    const int n = CircleCircleIntersection(first.centre, first.radius, second.centre, second.radius, candidates[0],
                                           candidates[1]);
    if (n == -1) {
        // One circle: the arcs meet along a common stretch, whose ends are ends of the arcs.
        const Point2d secondEnds[2] = {second.start, second.end};
        for (int k = 0; k < 2; ++k) {
            const double f = first.Parameter(secondEnds[k]);
            if (WithinBounds(f * first.length, bounds1) && WithinBounds(k * second.length, bounds2)) {
                sink.AddExact(k == 0 ? q0 : q1, f);
            }
        }
        const Point2d firstEnds[2] = {first.start, first.end};
        for (int k = 0; k < 2; ++k) {
            if (WithinBounds(k * first.length, bounds1) &&
                WithinBounds(second.DistanceAlong(firstEnds[k]), bounds2)) {
                sink.AddExact(k == 0 ? p0 : p1, k);
            }
        }
        return sink.Count();
    }
    for (int k = 0; k < n; ++k) {
        const double f = first.Parameter(candidates[k]);
        if (WithinBounds(f * first.length, bounds1) && WithinBounds(second.DistanceAlong(candidates[k]), bounds2)) {
            sink.Add(candidates[k], f);
        }
    }
    return sink.Count();
}

}  // namespace geometry
