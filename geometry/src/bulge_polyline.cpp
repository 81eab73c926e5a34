#include "geometry/bulge_polyline.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/arc_geometry.h"
#include "geometry/arc_pair_intersection.h"
#include "geometry/line_arc_intersection.h"
#include "geometry/line_primitives.h"
#include "geometry/point_segment_tests.h"
#include "geometry/polyline_intersection.h"
#include "geometry/segment_pair_intersection.h"

namespace geometry {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

bool IsArc(double bulge, double tolerance) { return std::fabs(bulge) > tolerance; }

// The lists as walked: a closed polyline comes back to its first vertex at the end.
struct Walk {
    const PointList* points = nullptr;
    const DoubleList* bulges = nullptr;
    bool closed = false;

    std::size_t size() const { return points->size() + (closed ? 1 : 0); }
    const Point2d& point(std::size_t i) const { return (*points)[i % points->size()]; }
    double bulge(std::size_t i) const { return (*bulges)[i % bulges->size()]; }
};

bool MakeWalk(const PointList& points, const DoubleList& bulges, bool closed, Walk& walk) {
    if (points.size() != bulges.size() || points.empty()) return false;
    walk = {&points, &bulges, closed};
    return true;
}

// The walked lists written out, for the segment index.
void Unroll(const Walk& walk, PointList& points, DoubleList& bulges) {
    for (std::size_t i = 0; i < walk.size(); ++i) {
        points.push_back(walk.point(i));
        bulges.push_back(i < walk.points->size() ? walk.bulge(i) : 0.0);
    }
}

struct Side {
    Point2d s, e;
    bool arc = false;
    ArcRecord record;
    bool ownsStart = true;
    bool ownsEnd = false;
    bool bulgeNegative = false;
    // The arc's start angle sits at s for a counter-clockwise arc, at e for a clockwise one.
    bool StartAngleOwned() const { return bulgeNegative ? ownsEnd : ownsStart; }
    bool EndAngleOwned() const { return bulgeNegative ? ownsStart : ownsEnd; }
};

Side MakeSide(const Walk& walk, std::size_t i, double tolerance, bool ownsEnd) {
    Side side;
    side.s = walk.point(i);
    side.e = walk.point(i + 1);
    side.ownsEnd = ownsEnd;
    const double bulge = walk.bulge(i);
    if (IsArc(bulge, tolerance)) {
        side.arc = SegmentPolarGeometry(side.s, side.e, bulge, side.record.centre, side.record.radius,
                                        side.record.startAngle, side.record.endAngle);
        side.bulgeNegative = bulge < 0.0;
    }
    return side;
}

void MeetSides(const Side& a, const Side& b, PointList& out) {
    Point2d p1, p2;
    int n = 0;
    if (!a.arc && !b.arc) {
        n = IntersectSegmentPair(a.s, a.e, b.s, b.e, p1, p2, a.ownsStart, a.ownsEnd, b.ownsStart, b.ownsEnd);
    } else if (!a.arc) {
        n = IntersectSegmentWithArc(b.record.centre, b.record.startAngle, b.record.endAngle, b.record.radius, a.s, a.e,
                                    p1, p2, b.StartAngleOwned(), b.EndAngleOwned(), a.ownsStart, a.ownsEnd);
    } else if (!b.arc) {
        n = IntersectSegmentWithArc(a.record.centre, a.record.startAngle, a.record.endAngle, a.record.radius, b.s, b.e,
                                    p1, p2, a.StartAngleOwned(), a.EndAngleOwned(), b.ownsStart, b.ownsEnd);
    } else {
        IntersectArcPair(a.record, b.record, out, a.StartAngleOwned(), a.EndAngleOwned(), b.StartAngleOwned(),
                         b.EndAngleOwned());
        return;
    }
    if (n > 0) out.push_back(p1);
    if (n > 1) out.push_back(p2);
}

}  // namespace

void IntersectBulgePolylines(const PointList& pointsA, const DoubleList& bulgesA, const PointList& pointsB,
                             const DoubleList& bulgesB, bool closedA, bool closedB, double arcTolerance,
                             PointList& out) {
    Walk a, b;
    if (!MakeWalk(pointsA, bulgesA, closedA, a) || !MakeWalk(pointsB, bulgesB, closedB, b)) return;
    // Segment boxes in an index: a long ring meets only the segments of the other that lie near
    // each of its own, in the same order as comparing every pair.
    PointList pa, pb;
    DoubleList ba, bb;
    Unroll(a, pa, ba);
    Unroll(b, pb, bb);
    const PolylineSegments segmentsA(pa, ba);
    const PolylineSegments segmentsB(pb, bb);
    const std::size_t lastA = a.size() - 1;
    const std::size_t lastB = b.size() - 1;
    std::vector<uint32_t> candidates;
    for (std::size_t i = 0; i < lastA; ++i) {
        candidates.clear();
        segmentsB.Candidates(segmentsA.Box(i), candidates);
        if (candidates.empty()) continue;
        const Side sideA = MakeSide(a, i, arcTolerance, !closedA && i + 1 == lastA);
        for (uint32_t j : candidates) {
            MeetSides(sideA, MakeSide(b, j, arcTolerance, !closedB && j + 1 == lastB), out);
        }
    }
}

bool PointParameterOnSegment(const Point2d& s, const Point2d& e, double bulge, const Point2d& p, double arcTolerance,
                             double& f) {
    bool on = false;
    Point2d centre;
    double radius = 0.0, a0 = 0.0, a1 = 0.0;
    if (IsArc(bulge, arcTolerance) && SegmentPolarGeometry(s, e, bulge, centre, radius, a0, a1)) {
        on = PointOnArcParameter(p, centre, a0, a1, radius, f);
        if (bulge < 0.0) f = 1.0 - f;
    } else if (PointsCoincide(s.x, s.y, e.x, e.y)) {
        on = PointsCoincide(p.x, p.y, s.x, s.y);
        f = 0.0;
    } else {
        on = PointWithinSegment(p, s, e, f);
    }
    // The tests allow a little beyond each end; the fraction stays on the segment.
    if (on) f = std::clamp(f, 0.0, 1.0);
    return on;
}

bool PointParameterOnPolyline(const PointList& points, const DoubleList& bulges, const Point2d& p, bool closed,
                              double arcTolerance, double& t) {
    Walk walk;
    if (!MakeWalk(points, bulges, closed, walk)) return false;
    for (std::size_t i = 0; i + 1 < walk.size(); ++i) {
        double f = 0.0;
        if (PointParameterOnSegment(walk.point(i), walk.point(i + 1), walk.bulge(i), p, arcTolerance, f)) {
            t = static_cast<double>(i) + f;
            return true;
        }
    }
    return false;
}

bool PointAtPolylineParameter(const PointList& points, const DoubleList& bulges, double t, bool closed,
                              double arcTolerance, Point2d& point) {
    Walk walk;
    if (!MakeWalk(points, bulges, closed, walk) || !std::isfinite(t) || t < 0.0) return false;
    const double last = static_cast<double>(walk.size() - 1);
    if (t > last) return false;
    const std::size_t i = static_cast<std::size_t>(t);
    const double f = t - static_cast<double>(i);
    if (f < 1e-6 || i + 1 >= walk.size()) {
        point = walk.point(i);
        return true;
    }
    const Point2d& s = walk.point(i);
    const Point2d& e = walk.point(i + 1);
    const double bulge = walk.bulge(i);
    Point2d centre;
    double radius = 0.0, a0 = 0.0, a1 = 0.0;
    if (IsArc(bulge, arcTolerance) && SegmentPolarGeometry(s, e, bulge, centre, radius, a0, a1)) {
        double sweep = a1 - a0;
        if (sweep < 0.0) sweep += kTwoPi;
        const double w = bulge > 0.0 ? f : 1.0 - f;
        const double angle = a0 + w * sweep;
        point = PolarPoint(centre.x, centre.y, angle, radius);
    } else {
        point = {s.x + f * (e.x - s.x), s.y + f * (e.y - s.y)};
    }
    return true;
}

bool DistanceToBulgePolyline(const PointList& points, const DoubleList& bulges, bool closed, const Point2d& p,
                             double arcTolerance, double& distance, Point2d& nearest) {
    Walk walk;
    if (!MakeWalk(points, bulges, closed, walk)) return false;
    distance = std::sqrt(SquaredDistance(p, walk.point(0)));
    nearest = walk.point(0);
    for (std::size_t i = 0; i + 1 < walk.size() && distance >= 1e-6; ++i) {
        const Point2d& s = walk.point(i);
        const Point2d& e = walk.point(i + 1);
        Point2d centre, candidate;
        double radius = 0.0, a0 = 0.0, a1 = 0.0, d = 0.0;
        if (IsArc(walk.bulge(i), arcTolerance) && SegmentPolarGeometry(s, e, walk.bulge(i), centre, radius, a0, a1)) {
            d = NearestPointOnArc(p, centre, a0, a1, radius, candidate);
        } else if (PointsCoincide(s.x, s.y, e.x, e.y)) {
            candidate = s;
            d = std::sqrt(SquaredDistance(p, s));
        } else {
            d = NearestPointOnSegment(p, s, e, candidate);
        }
        if (d < distance) {
            distance = d;
            nearest = candidate;
        }
    }
    return true;
}

double SubArcBulge(const Point2d& centre, double radius, const Point2d& from, const Point2d& to, bool clockwise) {
    const double h = std::sqrt(SquaredDistance(from, to)) / 2.0;
    if (!(h > 0.0)) return 0.0;
    if (radius <= h) return clockwise ? -1.0 : 1.0;
    double turn = SegmentAngle(centre.x, centre.y, to.x, to.y) - SegmentAngle(centre.x, centre.y, from.x, from.y);
    if (turn < 0.0) turn += kTwoPi;
    const double sweep = clockwise ? kTwoPi - turn : turn;
    const double d = std::sqrt(radius * radius - h * h);
    const double sagitta = sweep > kPi ? radius + d : radius - d;
    return clockwise ? -sagitta / h : sagitta / h;
}

bool SplitSegmentBulges(const PointList& points, const DoubleList& bulges, std::size_t segment, const Point2d& p,
                        double arcTolerance, double& first, double& second) {
    if (points.size() != bulges.size() || segment >= points.size()) return false;
    const Point2d& s = points[segment];
    const Point2d& e = points[(segment + 1) % points.size()];
    if (PointsCoincide(p.x, p.y, s.x, s.y) || PointsCoincide(p.x, p.y, e.x, e.y)) return false;
    const double bulge = bulges[segment];
    Point2d centre;
    double radius = 0.0, a0 = 0.0, a1 = 0.0;
    if (!IsArc(bulge, arcTolerance) || !SegmentPolarGeometry(s, e, bulge, centre, radius, a0, a1)) {
        first = 0.0;
        second = 0.0;
        return true;
    }
    first = SubArcBulge(centre, radius, s, p, bulge < 0.0);
    second = SubArcBulge(centre, radius, p, e, bulge < 0.0);
    return true;
}

}  // namespace geometry
