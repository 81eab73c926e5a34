#include "drawingutil/closed_curve_points.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/point_in_curve.h"
#include "platform/cad/db_polyline.h"

namespace drawingutil {
namespace {

// How clear of the curve a point, and how far apart its crossings, must stand to be counted:
// ten times the widest closeness the host's walk allows (a crossing within 0.001 of its line, two
// within 0.0001 of each other taken for one).
constexpr double kClear = 0.01;
// How far from a side's ends, as a share of the side, a crossing must lie: ten times the step the
// walk takes along a polyline's parameter (one per side) to see which way the curve goes on.
constexpr double kAlongEnds = 1e-4;

bool FacesUp(const AcGeVector3d& normal) { return normal.x == 0 && normal.y == 0 && normal.z == 1; }

double DistanceToSide(const AcGePoint2d& p, const AcGePoint2d& a, const AcGePoint2d& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

}  // namespace

ClosedCurvePoints::ClosedCurvePoints(const ads_name curve)
{
    std::memcpy(curve_, curve, sizeof curve_);
    Opened<AcDbEntity> entity(curve, AcDb::kForRead);
    AcDbPolyline* polyline = entity ? AsPolyline(entity.get()) : nullptr;
    if (polyline == nullptr || !polyline->isClosed() || !FacesUp(polyline->normal()) || polyline->hasBulges() ||
        polyline->numVerts() < 3)
        return;
    for (unsigned int i = 0; i < polyline->numVerts(); ++i) {
        AcGePoint2d p;
        if (polyline->getPointAt(i, p) != Acad::eOk || !std::isfinite(p.x) || !std::isfinite(p.y)) {
            ring_.clear();
            return;
        }
        ring_.push_back(p);
    }
}

bool ClosedCurvePoints::Counted(const AcGePoint2d& point, int& answer) const
{
    if (ring_.empty() || !std::isfinite(point.x) || !std::isfinite(point.y))
        return false;
    std::vector<double> crossings;
    const std::size_t n = ring_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const AcGePoint2d& a = ring_[i];
        const AcGePoint2d& b = ring_[(i + 1) % n];
        // A vertex near the vertical, or the point near a side, makes touches and runs along the
        // line that only the host's walk tells apart.
        if (std::fabs(a.x - point.x) <= kClear || DistanceToSide(point, a, b) <= kClear)
            return false;
        if ((a.x < point.x) == (b.x < point.x))
            continue;
        // The walk looks a little along the curve on either side of its first crossing: that
        // look must stay on the side crossed.
        const double along = (point.x - a.x) / (b.x - a.x);
        if (!(along > kAlongEnds && along < 1 - kAlongEnds))
            return false;
        crossings.push_back(a.y + (b.y - a.y) * along);
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t k = 1; k < crossings.size(); ++k)
        if (!(crossings[k] - crossings[k - 1] > kClear))
            return false;
    const auto below = std::count_if(crossings.begin(), crossings.end(), [&](double y) { return y < point.y; });
    answer = below % 2 == 1 ? 1 : -1;
    return true;
}

int ClosedCurvePoints::Test(const AcGePoint2d& point) const
{
    int answer = 0;
    return Counted(point, answer) ? answer : PointInClosedCurve(curve_, point);
}

}  // namespace drawingutil
