#include "platform/cad/curve_path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace platform::cad {

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;

double NormalizeAngle(double a)
{
    a = std::fmod(a, kTwoPi);
    if (a < 0)
        a += kTwoPi;
    return a;
}

// Where an angle falls along an arc, as a fraction of its sweep (may be outside 0..1).
double ArcFraction(const PathSegment& s, double angle)
{
    if (s.sweep == 0)
        return 0;
    double delta = s.sweep > 0 ? NormalizeAngle(angle - s.startAngle) : NormalizeAngle(s.startAngle - angle);
    double t = delta / std::abs(s.sweep);
    // Past the end: measure backwards from the start if that is closer.
    if (t > 1) {
        double back = (kTwoPi - delta) / std::abs(s.sweep);
        if (back < t - 1)
            return -back;
    }
    return t;
}

AcGePoint2d P2(const AcGePoint3d& p) { return {p.x, p.y}; }
}  // namespace

double ScaledTolerance(double magnitude)
{
    return std::max(AcGeContext::gTol.equalPoint(), std::abs(magnitude) * 1e-12);
}

double PathSegment::length() const
{
    if (!arc)
        return start.distanceTo(end);
    return radius * std::abs(sweep);
}

AcGePoint3d PathSegment::pointAt(double t) const
{
    if (!arc)
        return AcGePoint3d(start.x + (end.x - start.x) * t, start.y + (end.y - start.y) * t,
                           start.z + (end.z - start.z) * t);
    if (t <= 0)
        return start;
    if (t >= 1)
        return end;
    double a = startAngle + sweep * t;
    return AcGePoint3d(center.x + radius * std::cos(a), center.y + radius * std::sin(a), start.z);
}

AcGeVector3d PathSegment::derivative(double t) const
{
    double span = param1 - param0;
    if (span == 0)
        span = 1;
    if (!arc)
        return (end - start) / span;
    double a = startAngle + sweep * t;
    return AcGeVector3d(-std::sin(a), std::cos(a), 0) * (radius * sweep / span);
}

double PathSegment::closestT(const AcGePoint3d& p) const
{
    if (!arc) {
        AcGeVector3d d = end - start;
        double len2 = d.dotProduct(d);
        if (len2 == 0)
            return 0;
        return std::clamp((p - start).dotProduct(d) / len2, 0.0, 1.0);
    }
    double angle = std::atan2(p.y - center.y, p.x - center.x);
    double t = ArcFraction(*this, angle);
    if (t >= 0 && t <= 1)
        return t;
    return pointAt(0).distanceTo(p) <= pointAt(1).distanceTo(p) ? 0.0 : 1.0;
}

double PathSegment::bulge() const { return arc ? std::tan(sweep / 4) : 0.0; }

void CurvePath::AddLine(const AcGePoint3d& a, const AcGePoint3d& b, double p0, double p1)
{
    PathSegment s;
    s.start = a;
    s.end = b;
    s.param0 = p0;
    s.param1 = p1;
    segments.push_back(s);
}

void CurvePath::AddBulge(const AcGePoint3d& a, const AcGePoint3d& b, double bulge, double p0, double p1)
{
    // A straight span is known by its bulge alone, without measuring the chord.
    if (bulge == 0 || !std::isfinite(bulge) || std::hypot(b.x - a.x, b.y - a.y) == 0) {
        AddLine(a, AcGePoint3d(b.x, b.y, a.z), p0, p1);
        return;
    }
    // The centre lies off the chord's midpoint, to the left for a counter-clockwise arc.
    double k = (1 - bulge * bulge) / (4 * bulge);
    AcGePoint2d mid((a.x + b.x) / 2, (a.y + b.y) / 2);
    AcGeVector2d left(-(b.y - a.y), b.x - a.x);  // chord length times the left unit normal
    PathSegment s;
    s.arc = true;
    s.center = AcGePoint2d(mid.x + left.x * k, mid.y + left.y * k);
    s.radius = std::hypot(a.x - s.center.x, a.y - s.center.y);
    s.startAngle = std::atan2(a.y - s.center.y, a.x - s.center.x);
    s.sweep = 4 * std::atan(bulge);
    s.start = a;
    s.end = AcGePoint3d(b.x, b.y, a.z);
    s.param0 = p0;
    s.param1 = p1;
    segments.push_back(s);
}

void CurvePath::AddArc(const AcGePoint2d& center, double radius, double startAngle, double sweep, double z, double p0,
                       double p1)
{
    PathSegment s;
    s.arc = true;
    s.center = center;
    s.radius = radius;
    s.startAngle = startAngle;
    s.sweep = sweep;
    s.start = AcGePoint3d(center.x + radius * std::cos(startAngle), center.y + radius * std::sin(startAngle), z);
    s.end = AcGePoint3d(center.x + radius * std::cos(startAngle + sweep), center.y + radius * std::sin(startAngle + sweep),
                        z);
    s.param0 = p0;
    s.param1 = p1;
    segments.push_back(s);
}

void CurvePath::FromEcs(const AcGeVector3d& normal)
{
    AcGeVector3d n = normal.normal();
    if (n.isZeroLength() || (std::abs(n.x) < 1e-12 && std::abs(n.y) < 1e-12 && n.z > 0))
        return;
    // The arbitrary-axis rule gives the system's x and y axes.
    AcGeVector3d ax = (std::abs(n.x) < 1.0 / 64 && std::abs(n.y) < 1.0 / 64) ? AcGeVector3d(0, 1, 0).crossProduct(n)
                                                                            : AcGeVector3d(0, 0, 1).crossProduct(n);
    ax.normalize();
    AcGeVector3d ay = n.crossProduct(ax);
    auto toWorld = [&](const AcGePoint3d& p) {
        AcGeVector3d v = ax * p.x + ay * p.y + n * p.z;
        return AcGePoint3d(v.x, v.y, v.z);
    };
    bool flat = std::abs(n.x) < 1e-12 && std::abs(n.y) < 1e-12;  // straight down: a mirror image
    std::vector<PathSegment> out;
    for (const PathSegment& s : segments) {
        if (!s.arc) {
            PathSegment w = s;
            w.start = toWorld(s.start);
            w.end = toWorld(s.end);
            out.push_back(w);
        } else if (flat) {
            PathSegment w = s;
            w.start = toWorld(s.start);
            w.end = toWorld(s.end);
            AcGePoint3d c = toWorld(AcGePoint3d(s.center.x, s.center.y, s.start.z));
            w.center = AcGePoint2d(c.x, c.y);
            w.startAngle = kPi - s.startAngle;
            w.sweep = -s.sweep;
            out.push_back(w);
        } else {
            int steps = std::max(4, static_cast<int>(std::ceil(std::abs(s.sweep) / (kPi / 90))));
            AcGePoint3d prev = toWorld(s.start);
            for (int i = 1; i <= steps; ++i) {
                PathSegment w;
                w.start = prev;
                w.end = toWorld(s.pointAt(static_cast<double>(i) / steps));
                w.param0 = s.param0 + (s.param1 - s.param0) * (i - 1) / steps;
                w.param1 = s.param0 + (s.param1 - s.param0) * i / steps;
                out.push_back(w);
                prev = w.end;
            }
        }
    }
    segments = std::move(out);
}

double CurvePath::Magnitude() const
{
    double m = 0;
    for (const auto& s : segments) {
        m = std::max({m, std::abs(s.start.x), std::abs(s.start.y), std::abs(s.start.z), std::abs(s.end.x),
                      std::abs(s.end.y), std::abs(s.end.z)});
        if (s.arc)
            m = std::max({m, std::abs(s.center.x) + s.radius, std::abs(s.center.y) + s.radius});
    }
    return m;
}

double CurvePath::Length() const
{
    double total = 0;
    for (const auto& s : segments)
        total += s.length();
    return total;
}

int CurvePath::SegmentAt(double param) const
{
    if (segments.empty())
        return -1;
    double tol = 1e-12 * std::max(1.0, std::abs(EndParam()));
    if (param < StartParam() - tol || param > EndParam() + tol)
        return -1;
    for (std::size_t i = 0; i < segments.size(); ++i)
        if (param <= segments[i].param1 + tol)
            return static_cast<int>(i);
    return static_cast<int>(segments.size()) - 1;
}

bool CurvePath::PointAtParam(double param, AcGePoint3d& point) const
{
    int i = SegmentAt(param);
    if (i < 0)
        return false;
    const PathSegment& s = segments[static_cast<std::size_t>(i)];
    double span = s.param1 - s.param0;
    double t = span == 0 ? 0 : std::clamp((param - s.param0) / span, 0.0, 1.0);
    point = s.pointAt(t);
    return true;
}

bool CurvePath::DerivativeAtParam(double param, AcGeVector3d& deriv) const
{
    int i = SegmentAt(param);
    if (i < 0)
        return false;
    const PathSegment& s = segments[static_cast<std::size_t>(i)];
    double span = s.param1 - s.param0;
    deriv = s.derivative(span == 0 ? 0 : std::clamp((param - s.param0) / span, 0.0, 1.0));
    return true;
}

AcGePoint3d CurvePath::ClosestPoint(const AcGePoint3d& point, double* param) const
{
    AcGePoint3d best;
    double bestDist = -1;
    double bestParam = 0;
    for (const auto& s : segments) {
        double t = s.closestT(point);
        AcGePoint3d q = s.pointAt(t);
        double d = q.distanceTo(point);
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = q;
            bestParam = s.paramAt(t);
        }
    }
    if (param != nullptr)
        *param = bestParam;
    return best;
}

bool CurvePath::ParamAtPoint(const AcGePoint3d& point, double& param) const
{
    if (segments.empty())
        return false;
    double p = 0;
    AcGePoint3d q = ClosestPoint(point, &p);
    if (q.distanceTo(point) > ScaledTolerance(std::max(Magnitude(), std::max(std::abs(point.x), std::abs(point.y)))))
        return false;
    // The closing vertex of a closed curve is its start.
    if (closed && std::abs(p - EndParam()) <= 1e-12 * std::max(1.0, std::abs(EndParam())))
        p = StartParam();
    param = p;
    return true;
}

bool CurvePath::DistAtParam(double param, double& dist) const
{
    int i = SegmentAt(param);
    if (i < 0)
        return false;
    double total = 0;
    for (int k = 0; k < i; ++k)
        total += segments[static_cast<std::size_t>(k)].length();
    const PathSegment& s = segments[static_cast<std::size_t>(i)];
    double span = s.param1 - s.param0;
    double t = span == 0 ? 0 : std::clamp((param - s.param0) / span, 0.0, 1.0);
    dist = total + s.length() * t;
    return true;
}

bool CurvePath::ParamAtDist(double dist, double& param) const
{
    if (segments.empty())
        return false;
    double total = Length();
    double tol = ScaledTolerance(total);
    if (dist < -tol || dist > total + tol)
        return false;
    for (const auto& s : segments) {
        double len = s.length();
        if (dist <= len || &s == &segments.back()) {
            double t = len == 0 ? 0 : std::clamp(dist / len, 0.0, 1.0);
            param = s.paramAt(t);
            return true;
        }
        dist -= len;
    }
    return false;
}

double CurvePath::SignedArea() const
{
    if (segments.empty())
        return 0;
    // Relative to the first point, so that survey-sized coordinates keep their precision.
    const AcGePoint3d& o = segments.front().start;
    double area = 0;
    for (const auto& s : segments) {
        double x0 = s.start.x - o.x, y0 = s.start.y - o.y, x1 = s.end.x - o.x, y1 = s.end.y - o.y;
        area += (x0 * y1 - x1 * y0) / 2;
        if (s.arc)
            area += s.radius * s.radius / 2 * (s.sweep - std::sin(s.sweep));
    }
    return area;
}

AcDbExtents CurvePath::Extents() const
{
    AcDbExtents ext;
    for (const auto& s : segments) {
        ext.addPoint(s.start);
        ext.addPoint(s.end);
        if (!s.arc)
            continue;
        for (int k = 0; k < 4; ++k) {
            double angle = k * kPi / 2;
            double t = ArcFraction(s, angle);
            if (t >= 0 && t <= 1)
                ext.addPoint(AcGePoint3d(s.center.x + s.radius * std::cos(angle), s.center.y + s.radius * std::sin(angle),
                                         s.start.z));
        }
    }
    return ext;
}

namespace {
struct Hit {
    AcGePoint2d p;
    double tA;
    double tB;
};

// Line a0 + t (a1 - a0) against line b0 + u (b1 - b0), in coordinates relative to a0.
void LineLine(const PathSegment& a, const PathSegment& b, double tol, std::vector<Hit>& hits)
{
    AcGePoint2d o = P2(a.start);
    AcGeVector2d r(a.end.x - o.x, a.end.y - o.y);
    AcGeVector2d q0(b.start.x - o.x, b.start.y - o.y);
    AcGeVector2d s(b.end.x - b.start.x, b.end.y - b.start.y);
    double cross = r.x * s.y - r.y * s.x;
    double lr = r.length(), ls = s.length();
    if (lr == 0 || ls == 0)
        return;
    if (std::abs(cross) <= 1e-12 * lr * ls) {
        // Parallel: when they run on one line, the ends of the overlap are the crossing points.
        double dist = std::abs(q0.x * r.y - q0.y * r.x) / lr;
        if (dist > tol)
            return;
        auto addIfOn = [&](const AcGePoint2d& p) {
            double t = ((p.x - o.x) * r.x + (p.y - o.y) * r.y) / (lr * lr);
            double u = ((p.x - o.x - q0.x) * s.x + (p.y - o.y - q0.y) * s.y) / (ls * ls);
            double tt = tol / lr, tu = tol / ls;
            if (t >= -tt && t <= 1 + tt && u >= -tu && u <= 1 + tu)
                hits.push_back({p, std::clamp(t, 0.0, 1.0), std::clamp(u, 0.0, 1.0)});
        };
        addIfOn(P2(a.start));
        addIfOn(P2(a.end));
        addIfOn(P2(b.start));
        addIfOn(P2(b.end));
        return;
    }
    double t = (q0.x * s.y - q0.y * s.x) / cross;
    double u = (q0.x * r.y - q0.y * r.x) / cross;
    hits.push_back({AcGePoint2d(o.x + r.x * t, o.y + r.y * t), t, u});
}

// Line against the circle of an arc; t along the line, u as the arc's fraction.
void LineCircle(const PathSegment& line, const PathSegment& arc, bool lineFirst, double tol, std::vector<Hit>& hits)
{
    AcGePoint2d o = arc.center;
    AcGeVector2d p0(line.start.x - o.x, line.start.y - o.y);
    AcGeVector2d d(line.end.x - line.start.x, line.end.y - line.start.y);
    double a = d.dotProduct(d);
    if (a == 0)
        return;
    double b = 2 * p0.dotProduct(d);
    double c = p0.dotProduct(p0) - arc.radius * arc.radius;
    double disc = b * b - 4 * a * c;
    // A tangent line within tolerance touches once.
    double distToCenter = std::abs(p0.x * d.y - p0.y * d.x) / std::sqrt(a);
    std::vector<double> ts;
    if (std::abs(distToCenter - arc.radius) <= tol) {
        ts.push_back(-b / (2 * a));
    } else if (disc >= 0) {
        double sq = std::sqrt(disc);
        ts.push_back((-b - sq) / (2 * a));
        ts.push_back((-b + sq) / (2 * a));
    }
    for (double t : ts) {
        AcGePoint2d p(o.x + p0.x + d.x * t, o.y + p0.y + d.y * t);
        double u = ArcFraction(arc, std::atan2(p.y - o.y, p.x - o.x));
        if (lineFirst)
            hits.push_back({p, t, u});
        else
            hits.push_back({p, u, t});
    }
}

void CircleCircle(const PathSegment& a, const PathSegment& b, double tol, std::vector<Hit>& hits)
{
    AcGeVector2d d(b.center.x - a.center.x, b.center.y - a.center.y);
    double dist = d.length();
    if (dist <= tol && std::abs(a.radius - b.radius) <= tol) {
        // One circle: the ends of each arc lying on the other are the crossing points.
        auto addIfOn = [&](const AcGePoint3d& p) {
            double angle = std::atan2(p.y - a.center.y, p.x - a.center.x);
            double tA = ArcFraction(a, angle), tB = ArcFraction(b, angle);
            hits.push_back({P2(p), tA, tB});
        };
        addIfOn(a.start);
        addIfOn(a.end);
        addIfOn(b.start);
        addIfOn(b.end);
        return;
    }
    if (dist == 0 || dist > a.radius + b.radius + tol || dist < std::abs(a.radius - b.radius) - tol)
        return;
    double x = (dist * dist + a.radius * a.radius - b.radius * b.radius) / (2 * dist);
    double h2 = a.radius * a.radius - x * x;
    double h = h2 > 0 ? std::sqrt(h2) : 0;
    AcGeVector2d e = d / dist;
    AcGePoint2d base(a.center.x + e.x * x, a.center.y + e.y * x);
    std::vector<AcGePoint2d> points{AcGePoint2d(base.x - e.y * h, base.y + e.x * h)};
    if (h > tol)
        points.push_back(AcGePoint2d(base.x + e.y * h, base.y - e.x * h));
    for (const auto& p : points)
        hits.push_back({p, ArcFraction(a, std::atan2(p.y - a.center.y, p.x - a.center.x)),
                        ArcFraction(b, std::atan2(p.y - b.center.y, p.x - b.center.x))});
}

bool Within(const PathSegment& s, double t, bool extended, double tol)
{
    if (extended)
        return true;
    double len = s.length();
    double slack = len > 0 ? tol / len : 0;
    return t >= -slack && t <= 1 + slack;
}
}  // namespace

namespace {

// Visits the planar intersections of two paths until the visitor answers false.
template <typename Visit>
void VisitIntersections(const CurvePath& self, const CurvePath& other, bool extendThis, bool extendOther, Visit&& visit)
{
    const std::vector<PathSegment>& segments = self.segments;
    double tol = ScaledTolerance(std::max(self.Magnitude(), other.Magnitude()));
    bool extA = extendThis && segments.size() == 1;
    bool extB = extendOther && other.segments.size() == 1;
    // Lines far apart cannot meet: most pairs of a long outline and a selection polygon are
    // turned away by their boxes before any solving.
    auto apart = [tol](const PathSegment& a, const PathSegment& b) {
        double slack = 4 * tol;
        return std::max(a.start.x, a.end.x) + slack < std::min(b.start.x, b.end.x) ||
               std::max(b.start.x, b.end.x) + slack < std::min(a.start.x, a.end.x) ||
               std::max(a.start.y, a.end.y) + slack < std::min(b.start.y, b.end.y) ||
               std::max(b.start.y, b.end.y) + slack < std::min(a.start.y, a.end.y);
    };
    std::vector<Hit> hits;
    for (const auto& a : segments) {
        for (const auto& b : other.segments) {
            hits.clear();
            if (!a.arc && !b.arc && !extA && !extB && apart(a, b))
                continue;
            if (!a.arc && !b.arc)
                LineLine(a, b, tol, hits);
            else if (!a.arc)
                LineCircle(a, b, true, tol, hits);
            else if (!b.arc)
                LineCircle(b, a, false, tol, hits);
            else
                CircleCircle(a, b, tol, hits);
            for (const Hit& h : hits) {
                // An extended arc is its whole circle.
                bool onA = a.arc ? (extA || Within(a, h.tA, false, tol)) : Within(a, h.tA, extA, tol);
                bool onB = b.arc ? (extB || Within(b, h.tB, false, tol)) : Within(b, h.tB, extB, tol);
                if (!onA || !onB)
                    continue;
                double z = a.arc ? a.start.z : a.start.z + (a.end.z - a.start.z) * std::clamp(h.tA, 0.0, 1.0);
                if (!visit(AcGePoint3d(h.p.x, h.p.y, z), tol))
                    return;
            }
        }
    }
}

}  // namespace

std::vector<AcGePoint3d> CurvePath::Intersect(const CurvePath& other, bool extendThis, bool extendOther) const
{
    std::vector<AcGePoint3d> result;
    VisitIntersections(*this, other, extendThis, extendOther, [&result](const AcGePoint3d& p, double tol) {
        bool dup = false;
        for (const auto& q : result)
            if (std::hypot(q.x - p.x, q.y - p.y) <= tol * 10)
                dup = true;
        if (!dup)
            result.push_back(p);
        return true;
    });
    return result;
}

bool CurvePath::Meets(const CurvePath& other) const
{
    bool met = false;
    VisitIntersections(*this, other, false, false, [&met](const AcGePoint3d&, double) {
        met = true;
        return false;
    });
    return met;
}

CurvePath CurvePath::Piece(double p0, double p1) const
{
    CurvePath piece;
    if (segments.empty())
        return piece;
    double start = StartParam(), end = EndParam();
    if (closed && p1 > end) {
        CurvePath first = Piece(p0, end);
        CurvePath second = Piece(start, p1 - (end - start));
        for (auto s : second.segments) {
            s.param0 += end - start;
            s.param1 += end - start;
            first.segments.push_back(s);
        }
        return first;
    }
    for (const auto& s : segments) {
        double a = std::max(p0, s.param0), b = std::min(p1, s.param1);
        if (b < a || (b == a && s.param1 > s.param0 && !(p0 == p1)))
            continue;
        double span = s.param1 - s.param0;
        double ta = span == 0 ? 0 : (a - s.param0) / span;
        double tb = span == 0 ? 1 : (b - s.param0) / span;
        if (tb - ta <= 0 && span != 0)
            continue;
        PathSegment cut = s;
        cut.start = s.pointAt(ta);
        cut.end = s.pointAt(tb);
        if (s.arc) {
            cut.startAngle = s.startAngle + s.sweep * ta;
            cut.sweep = s.sweep * (tb - ta);
        }
        cut.param0 = a;
        cut.param1 = b;
        piece.segments.push_back(cut);
    }
    return piece;
}

namespace {
// An offset segment before joining: its carrier (line or circle) and its current ends.
struct Carrier {
    bool arc;
    AcGePoint2d center;
    double radius;
    bool ccw;
    AcGePoint3d start;
    AcGePoint3d end;
    AcGePoint3d corner;  // the original vertex at the segment's end, to choose between joins
};

PathSegment AsSegment(const Carrier& c)
{
    PathSegment s;
    s.start = c.start;
    s.end = c.end;
    if (c.arc) {
        s.arc = true;
        s.center = c.center;
        s.radius = c.radius;
        s.startAngle = std::atan2(c.start.y - c.center.y, c.start.x - c.center.x);
        double endAngle = std::atan2(c.end.y - c.center.y, c.end.x - c.center.x);
        s.sweep = c.ccw ? NormalizeAngle(endAngle - s.startAngle) : -NormalizeAngle(s.startAngle - endAngle);
        if (s.sweep == 0)
            s.sweep = c.ccw ? kTwoPi : -kTwoPi;
    }
    return s;
}

// Scratch paths of one segment each, kept by the caller across the joins of one offset.
struct JoinPaths {
    CurvePath a, b;
};

void Join(Carrier& a, Carrier& b, double tol, JoinPaths& scratch)
{
    if (a.end.distanceTo(b.start) <= tol)
        return;
    CurvePath& pa = scratch.a;
    CurvePath& pb = scratch.b;
    pa.segments.assign(1, AsSegment(a));
    pb.segments.assign(1, AsSegment(b));
    std::vector<AcGePoint3d> hits = pa.Intersect(pb, true, true);
    if (hits.empty())
        return;  // the gap stays and is bridged by a straight piece
    AcGePoint3d best = hits.front();
    for (const auto& h : hits)
        if (h.distanceTo(a.corner) < best.distanceTo(a.corner))
            best = h;
    best.z = a.end.z;
    a.end = best;
    b.start = best;
}
}  // namespace

bool CurvePath::Offset(double distance, CurvePath& result) const
{
    result = CurvePath();
    result.closed = closed;
    if (segments.empty())
        return false;
    double tol = Tolerance();
    std::vector<Carrier> carriers;
    carriers.reserve(segments.size());
    for (const auto& s : segments) {
        Carrier c{};
        c.arc = s.arc;
        c.corner = s.end;
        if (!s.arc) {
            AcGeVector2d dir(s.end.x - s.start.x, s.end.y - s.start.y);
            double len = dir.length();
            if (len <= tol)
                continue;
            AcGeVector2d left(-dir.y / len * distance, dir.x / len * distance);
            c.start = AcGePoint3d(s.start.x + left.x, s.start.y + left.y, s.start.z);
            c.end = AcGePoint3d(s.end.x + left.x, s.end.y + left.y, s.end.z);
        } else {
            // Left of a counter-clockwise arc is its centre.
            c.ccw = s.sweep > 0;
            c.center = s.center;
            c.radius = s.radius + (c.ccw ? -distance : distance);
            if (c.radius <= tol)
                continue;
            double a0 = s.startAngle, a1 = s.startAngle + s.sweep;
            c.start = AcGePoint3d(s.center.x + c.radius * std::cos(a0), s.center.y + c.radius * std::sin(a0), s.start.z);
            c.end = AcGePoint3d(s.center.x + c.radius * std::cos(a1), s.center.y + c.radius * std::sin(a1), s.start.z);
        }
        carriers.push_back(c);
    }
    if (carriers.empty())
        return false;
    JoinPaths scratch;
    for (std::size_t i = 0; i + 1 < carriers.size(); ++i)
        Join(carriers[i], carriers[i + 1], tol, scratch);
    if (closed && carriers.size() > 1)
        Join(carriers.back(), carriers.front(), tol, scratch);
    // Each carrier may be followed by a bridging line, and a closed path by its closing one.
    result.segments.reserve(2 * carriers.size() + 1);
    double param = 0;
    for (std::size_t i = 0; i < carriers.size(); ++i) {
        PathSegment s = AsSegment(carriers[i]);
        s.param0 = param;
        s.param1 = param + 1;
        result.segments.push_back(s);
        param += 1;
        const AcGePoint3d& next = (i + 1 < carriers.size()) ? carriers[i + 1].start : carriers.front().start;
        bool last = i + 1 == carriers.size();
        if ((!last || closed) && s.end.distanceTo(next) > tol) {
            result.AddLine(s.end, next, param, param + 1);
            param += 1;
        }
    }
    if (closed && !result.segments.empty()) {
        // The closing segment of a closed path is part of the path already.
        PathSegment& tail = result.segments.back();
        if (tail.end.distanceTo(result.segments.front().start) > tol)
            result.AddLine(tail.end, result.segments.front().start, param, param + 1);
    }
    return true;
}

}  // namespace platform::cad
