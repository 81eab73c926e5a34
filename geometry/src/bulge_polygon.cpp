#include "geometry/bulge_polygon.h"

#include <cmath>

#include "geometry/point_segment_tests.h"
#include "geometry/polyline_intersection.h"
#include "ray_crossings.h"

namespace geometry {
namespace {

constexpr double kArcTolerance = 0.001;

// 0 when p lies on the side; otherwise flips the flag for each crossing of the ray.
int SideOf(const Point2d& p, const Point2d& s, const Point2d& e, double bulge, bool& flip) {
    if (!(std::fabs(bulge) >= kArcTolerance)) {
        if (PointNearSegment(p, s, e)) return 0;
        if (detail::StraightRayCrossing(p, s, e)) flip = !flip;
        return 1;
    }
    return detail::ArcRaySide(p, s, e, bulge, flip);
}

}  // namespace

int PointInBulgePolygon(const PointList& points, const DoubleList& bulges, double x, double y) {
    const std::size_t n = points.size();
    if (n < 3 || bulges.size() != n) return -2;
    const Point2d p{x, y};
    bool flip = false;
    for (std::size_t k = 0; k < n; ++k) {
        // The closing side first, then the sides in order.
        const std::size_t i = k == 0 ? n - 1 : k - 1;
        const Point2d& s = points[i];
        const Point2d& e = points[(i + 1) % n];
        if (SideOf(p, s, e, bulges[i], flip) == 0) return 0;
    }
    return flip ? 1 : -1;
}

PreparedBulgePolygon::PreparedBulgePolygon(const PointList& points, const DoubleList& bulges) {
    if (points.size() < 3 || bulges.size() != points.size()) return;
    walk_ = points;
    walk_.push_back(points.front());
    bulges_ = bulges;
    bulges_.push_back(0.0);
    segments_ = std::make_unique<PolylineSegments>(walk_, bulges_);
    valid_ = true;
}

PreparedBulgePolygon::~PreparedBulgePolygon() = default;

int PreparedBulgePolygon::Locate(double x, double y) const {
    if (!valid_) return -2;
    const Point2d p{x, y};
    // Only sides whose boxes reach the ray (or lie within the on-side distance of the point) can
    // hold the point or cross the ray; which of them holds it first does not change the answer.
    Extents ray;
    ray.Include(p);
    ray.Include(Point2d{segments_->Bounds().max.x, y});
    ray.Expand(0.0011);
    std::vector<uint32_t> candidates;
    segments_->Candidates(ray, candidates);
    bool flip = false;
    for (uint32_t i : candidates)
        if (SideOf(p, walk_[i], walk_[i + 1], bulges_[i], flip) == 0) return 0;
    return flip ? 1 : -1;
}

}  // namespace geometry
