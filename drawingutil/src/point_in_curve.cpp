#include "drawingutil/point_in_curve.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/cad/db_line.h"

#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

constexpr double kOnCurve = 0.0001;    // an intersection this close to the curve counts
constexpr double kOnLine = 0.001;      // an intersection this close to the test line is on it
constexpr double kSamePoint = 0.0001;  // ordered points closer than this are one
constexpr double kParamStep = 0.00001; // how far to look along the curve on either side

struct Pieces {
    AcDbVoidPtrArray curves;
    ~Pieces()
    {
        for (int i = 0; i < curves.length(); ++i)
            delete static_cast<AcDbEntity*>(curves[i]);
    }
    const AcDbCurve* at(int i) const { return static_cast<const AcDbCurve*>(curves[i]); }
};

bool Contains(const AcDbCurve* curve, const AcGePoint3d& point, double* param = nullptr)
{
    double t = 0;
    if (curve->getParamAtPoint(point, t) != Acad::eOk)
        return false;
    if (param != nullptr)
        *param = t;
    return true;
}

// A point near the parameter; a closed curve wraps past its ends, so that a crossing at the
// curve's start looks at both of its sides.
AcGePoint3d PointNear(const AcDbCurve* curve, double param)
{
    double start = 0, end = 0;
    curve->getStartParam(start);
    curve->getEndParam(end);
    double span = end - start;
    if (span > 0) {
        if (param < start)
            param += span;
        else if (param > end)
            param -= span;
    }
    AcGePoint3d point;
    curve->getPointAtParam(std::clamp(param, start, end), point);
    return point;
}

}  // namespace

void OrderPointsAlongCurve(const AcDbCurve* line, const AcGePoint3dArray& points, AcGePoint3dArray& ordered)
{
    std::vector<std::pair<double, AcGePoint3d>> placed;
    for (int i = 0; i < points.length(); ++i) {
        const AcGePoint3d& p = points[i];
        AcGePoint3d onLine;
        double distance = 0;
        if (line->getClosestPointTo(p, onLine) != Acad::eOk || onLine.distanceTo(p) > kOnLine ||
            line->getDistAtPoint(onLine, distance) != Acad::eOk)
            continue;
        auto at = std::upper_bound(placed.begin(), placed.end(), distance,
                                   [](double d, const auto& item) { return d < item.first; });
        placed.insert(at, {distance, onLine});
    }
    std::vector<AcGePoint3d> list;
    for (const auto& item : placed)
        list.push_back(item.second);
    bool removed = true;
    while (removed && list.size() >= 2) {
        removed = false;
        std::size_t n = list.size();
        for (std::size_t i = 0; i < n; ++i) {
            const AcGePoint3d& before = list[(i + n - 1) % n];
            const AcGePoint3d& after = list[(i + 1) % n];
            if (list[i].distanceTo(before) <= kSamePoint || list[i].distanceTo(after) <= kSamePoint) {
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                removed = true;
                break;
            }
        }
    }
    for (const AcGePoint3d& p : list)
        ordered.append(p);
}

int PointInCurveTest(const AcDbCurve* curve, const AcGePoint2d& point)
{
    if (curve == nullptr || !curve->isClosed())
        return -2;
    AcGePoint3d start;
    if (curve->getStartPoint(start) != Acad::eOk)
        return -2;
    AcGePoint3d p(point.x, point.y, start.z);
    if (Contains(curve, p))
        return 0;
    AcDbExtents extents;
    if (curve->getGeomExtents(extents) != Acad::eOk)
        return -2;
    double low = extents.minPoint().y, high = extents.maxPoint().y;
    double e = (high - low) / 2;
    if (p.y < low - e || p.y > high + e)
        return -1;

    AcDbLine line(AcGePoint3d(p.x, low - e, p.z), AcGePoint3d(p.x, high + e, p.z));
    AcGePoint3dArray hits, kept, ordered;
    curve->intersectWith(&line, AcDb::kOnBothOperands, hits);
    for (int i = 0; i < hits.length(); ++i) {
        const AcGePoint3d& hit = hits[i];
        AcGePoint3d closest;
        if (curve->getClosestPointTo(hit, closest) == Acad::eOk && closest.distanceTo(hit) <= kOnCurve)
            kept.append(hit);
    }
    if (kept.length() < 2)
        return -1;
    OrderPointsAlongCurve(&line, kept, ordered);
    Pieces pieces;
    if (line.getSplitCurves(ordered, pieces.curves) != Acad::eOk)
        return -2;

    AcGePoint3d a = line.startPoint();
    std::vector<bool> visited(static_cast<std::size_t>(pieces.curves.length()), false);
    bool inside = false, placed = false;
    for (;;) {
        int found = -1;
        for (int i = 0; i < pieces.curves.length() && found < 0; ++i) {
            if (!visited[static_cast<std::size_t>(i)] && Contains(pieces.at(i), a))
                found = i;
        }
        if (found < 0)
            break;
        visited[static_cast<std::size_t>(found)] = true;
        const AcDbCurve* piece = pieces.at(found);
        if (Contains(piece, p)) {
            placed = true;
            break;
        }
        AcGePoint3d s, t;
        piece->getStartPoint(s);
        piece->getEndPoint(t);
        a = s.distanceTo(a) <= t.distanceTo(a) ? t : s;
        double t1 = 0, t2 = 0, ta = 0;
        bool sideTest = false;
        AcGePoint3d x1, x2;
        if (Contains(curve, s, &t1) && Contains(curve, t, &t2)) {
            AcGePoint3d mid;
            curve->getPointAtParam((t1 + t2) / 2, mid);
            if (Contains(piece, mid)) {  // the curve runs along the line here
                x1 = PointNear(curve, std::min(t1, t2) - kParamStep);
                x2 = PointNear(curve, std::max(t1, t2) + kParamStep);
                sideTest = true;
            } else {
                inside = !inside;
            }
        } else if (Contains(curve, a, &ta)) {
            x1 = PointNear(curve, ta + kParamStep);
            x2 = PointNear(curve, ta - kParamStep);
            sideTest = true;
        } else {
            inside = !inside;
        }
        // A curve that stays on one side of the line only touches it.
        if (sideTest && !((x2.x - p.x) * (x1.x - p.x) > 0))
            inside = !inside;
    }
    if (!placed)
        return -2;
    return inside ? 1 : -1;
}

int PointInClosedCurve(const ads_name entity, const AcGePoint2d& point)
{
    Opened<AcDbCurve> curve(entity, AcDb::kForRead);
    if (!curve)
        return -2;
    return PointInCurveTest(curve.get(), point);
}
