#include "drawingutil/point_rings.h"

#include <cmath>
#include <memory>

#include "platform/cad/db_polyline.h"

#include "drawingutil/curve_kinds.h"
#include "drawingutil/polyline_vertices.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
// Flatter segments than this count as straight.
constexpr double kMinBulge = 0.001;
constexpr double kTwoPi = 2 * M_PI;

AcGePoint2d Polar(const AcGePoint2d& from, double angle, double distance)
{
    return AcGePoint2d(from.x + distance * std::cos(angle), from.y + distance * std::sin(angle));
}

double Direction(const AcGePoint2d& from, const AcGePoint2d& to) { return std::atan2(to.y - from.y, to.x - from.x); }

// The points strictly between a and b on the arc of the bulge, evenly spaced, none farther apart
// than the step.
void AppendArcInterior(const AcGePoint2d& a, const AcGePoint2d& b, double bulge, double step, AcGePoint2dArray& out)
{
    double c = a.distanceTo(b) / 2;
    double s = std::fabs(bulge) * c;
    if (!(c > 0))
        return;
    double radius = (s * s + c * c) / (2 * s);
    double chord = Direction(a, b);
    AcGePoint2d mid((a.x + b.x) / 2, (a.y + b.y) / 2);
    AcGePoint2d centre = Polar(mid, bulge >= 0 ? chord - M_PI / 2 : chord + M_PI / 2, s - radius);
    double a1 = Direction(centre, a), a2 = Direction(centre, b);
    double sweep = bulge > 0 ? a2 - a1 : a1 - a2;
    if (sweep < 0)
        sweep += kTwoPi;
    int n = static_cast<int>(sweep / step) + 1;
    double d = sweep / n;
    for (int j = 1; j < n; ++j) {
        double angle = bulge > 0 ? a1 + j * d : a1 - j * d;
        if (angle > kTwoPi)
            angle -= kTwoPi;
        if (angle < 0)
            angle += kTwoPi;
        out.append(Polar(centre, angle, radius));
    }
}

}  // namespace

bool ApproximateCurveArcs(const ads_name entity, AcGePoint2dArray& points, double step)
{
    // A step of 0 would never leave the first arc.
    if (!(step > 0) || !std::isfinite(step))
        return false;
    AcGePoint2dArray vertices;
    if (!GetCurvePoints(entity, vertices, 1))
        return false;
    AcGeDoubleArray bulges;
    if (!GetCurveBulges(entity, bulges, 1))
        bulges.removeAll();
    bool arcs = bulges.length() == vertices.length();
    bool closed = GetCurveKind(entity, 1) >= kCurveClosedOffset;
    double radians = step * kRadiansPerDegree;
    int first = points.length();
    int n = vertices.length();
    for (int i = 0; i < n; ++i) {
        points.append(vertices[i]);
        if (arcs && (i + 1 < n || closed) && std::fabs(bulges[i]) > kMinBulge)
            AppendArcInterior(vertices[i], vertices[(i + 1) % n], bulges[i], radians, points);
    }
    if (closed && points.length() > first)
        points.append(AcGePoint2d(points[first]));
    return true;
}

bool OffsetPointRing(const AcGePoint2dArray& points, double distance, int closed, AcGePoint2dArray& result)
{
    if (points.length() < 2 || distance == 0)
        return false;
    if (points.length() == 2) {
        double side = Direction(points[0], points[1]) + M_PI / 2;
        result.append(Polar(points[0], side, -distance));
        result.append(Polar(points[1], side, -distance));
        return true;
    }
    AcDbPolyline ring(static_cast<unsigned int>(points.length()));
    for (int i = 0; i < points.length(); ++i)
        ring.addVertexAt(static_cast<unsigned int>(i), points[i]);
    ring.setClosed(closed == 1);
    AcDbVoidPtrArray curves;
    if (ring.getOffsetCurves(-distance, curves) != Acad::eOk)
        curves.removeAll();
    bool made = false;
    if (!curves.isEmpty()) {
        AcGePoint2dArray offset;
        made = GetOpenCurvePoints(static_cast<AcDbEntity*>(curves[0]), offset, 0);
        if (made)
            result.append(offset);
    }
    for (int i = 0; i < curves.length(); ++i)
        delete static_cast<AcDbEntity*>(curves[i]);
    return made;
}

bool IsRingClockwise(const AcGePoint2dArray& points)
{
    double sum = 0;
    int n = points.length();
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& p = points[i];
        const AcGePoint2d& q = points[(i + 1) % n];
        sum += (q.x - p.x) * (q.y + p.y) / 2;
    }
    return sum >= 0;
}
