#include "region_loops.h"

#include <algorithm>
#include <cmath>

namespace platform::cad {
namespace {

constexpr double kTwoPi = 2 * M_PI;

// The angle the segment from a to b sweeps as seen from the origin.
double SweptAngle(double ax, double ay, double bx, double by)
{
    return std::atan2(ax * by - ay * bx, ax * bx + ay * by);
}

// An arc adds the angle of its chord, plus a whole turn when the point lies in the circular
// segment between the chord and the arc (the loop arc-then-chord winds round it once).
double ArcAngle(const PathSegment& s, const AcGePoint2d& p)
{
    const double cx = s.center.x - p.x, cy = s.center.y - p.y;
    const bool inCircle = cx * cx + cy * cy < s.radius * s.radius;
    const double turn = s.sweep > 0 ? kTwoPi : -kTwoPi;
    if (std::abs(s.sweep) >= kTwoPi - 1e-12)
        return inCircle ? turn : 0;
    const double ax = s.start.x - p.x, ay = s.start.y - p.y, bx = s.end.x - p.x, by = s.end.y - p.y;
    double angle = SweptAngle(ax, ay, bx, by);
    if (inCircle) {
        // Counter-clockwise arcs bulge to the right of their chord, clockwise ones to the left.
        const double side = (bx - ax) * (-ay) - (by - ay) * (-ax);
        if (s.sweep > 0 ? side < 0 : side > 0)
            angle += turn;
    }
    return angle;
}

AcGePoint2d PointOn(const CurvePath& loop)
{
    AcGePoint3d p = loop.segments.front().pointAt(0.5);
    return AcGePoint2d(p.x, p.y);
}

bool ExtentsMeet(const AcDbExtents& a, const AcDbExtents& b, double tol)
{
    return a.minPoint().x <= b.maxPoint().x + tol && b.minPoint().x <= a.maxPoint().x + tol &&
           a.minPoint().y <= b.maxPoint().y + tol && b.minPoint().y <= a.maxPoint().y + tol;
}

bool BoundariesMeet(const RegionLoops& a, const RegionLoops& b)
{
    for (const CurvePath& la : a) {
        const AcDbExtents ea = la.Extents();
        for (const CurvePath& lb : b) {
            const double tol = ScaledTolerance(std::max(la.Magnitude(), lb.Magnitude()));
            if (ExtentsMeet(ea, lb.Extents(), tol) && !la.Intersect(lb, false, false).empty())
                return true;
        }
    }
    return false;
}

}  // namespace

CurvePath ReversedLoop(const CurvePath& loop)
{
    CurvePath reversed;
    reversed.closed = loop.closed;
    double param = 0;
    for (auto it = loop.segments.rbegin(); it != loop.segments.rend(); ++it) {
        PathSegment s = *it;
        std::swap(s.start, s.end);
        if (s.arc) {
            s.startAngle += s.sweep;
            s.sweep = -s.sweep;
        }
        s.param0 = param;
        s.param1 = param + (it->param1 - it->param0);
        param = s.param1;
        reversed.segments.push_back(s);
    }
    return reversed;
}

bool OrientAsOuterLoop(CurvePath& loop)
{
    const double area = loop.SignedArea();
    if (loop.Empty() || !(std::abs(area) > loop.Tolerance() * loop.Length()))
        return false;
    if (area < 0)
        loop = ReversedLoop(loop);
    return true;
}

int WindingNumber(const CurvePath& loop, const AcGePoint2d& point)
{
    double total = 0;
    for (const PathSegment& s : loop.segments) {
        if (s.arc)
            total += ArcAngle(s, point);
        else
            total += SweptAngle(s.start.x - point.x, s.start.y - point.y, s.end.x - point.x, s.end.y - point.y);
    }
    return static_cast<int>(std::lround(total / kTwoPi));
}

bool RegionContains(const RegionLoops& loops, const AcGePoint2d& point)
{
    int around = 0;
    for (const CurvePath& loop : loops)
        if (!loop.Empty() && WindingNumber(loop, point) != 0)
            ++around;
    return around % 2 == 1;
}

bool CombineRegionLoops(const RegionLoops& a, const RegionLoops& b, RegionOperation operation, RegionLoops& result)
{
    if (BoundariesMeet(a, b))
        return CombineRegionPolygons(a, b, operation, result);
    // Apart from one another, each boundary lies wholly inside or wholly outside the other
    // region, and the result's boundary is made of whole loops of the two.
    RegionLoops combined;
    for (const CurvePath& loop : a) {
        if (loop.Empty())
            continue;
        const bool inB = RegionContains(b, PointOn(loop));
        if (operation == RegionOperation::kIntersect ? inB : !inB)
            combined.push_back(loop);
    }
    for (const CurvePath& loop : b) {
        if (loop.Empty())
            continue;
        const bool inA = RegionContains(a, PointOn(loop));
        switch (operation) {
            case RegionOperation::kUnite:
                if (!inA)
                    combined.push_back(loop);
                break;
            case RegionOperation::kIntersect:
                if (inA)
                    combined.push_back(loop);
                break;
            case RegionOperation::kSubtract:
                if (inA)
                    combined.push_back(ReversedLoop(loop));
                break;
        }
    }
    result = std::move(combined);
    return true;
}

}  // namespace platform::cad
