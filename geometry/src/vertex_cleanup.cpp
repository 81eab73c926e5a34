#include "geometry/vertex_cleanup.h"

#include <cmath>
#include <numbers>

#include "geometry/point_segment_tests.h"

namespace geometry {
namespace {

constexpr double kPi = std::numbers::pi;

// The marked vertices in order, or none when removing them would leave too little.
std::vector<std::size_t> Kept(const std::vector<bool>& marked, bool closed) {
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < marked.size(); ++i)
        if (marked[i]) out.push_back(i);
    if (marked.size() - out.size() < (closed ? 3u : 2u)) out.clear();
    return out;
}

}  // namespace

std::vector<std::size_t> CloseVertexIndexes(const PointList& points, bool closed, double tolerance) {
    const std::size_t n = points.size();
    std::vector<bool> marked(n, false);
    if (n < 2 || !(tolerance > 0.0)) return {};
    const std::size_t pairs = closed ? n : n - 1;
    for (std::size_t i = 0; i < pairs; ++i) {
        const std::size_t next = (i + 1) % n;
        if (!(std::sqrt(SquaredDistance(points[i], points[next])) < tolerance)) continue;
        // An open polyline keeps its ends: of a double at the start the second vertex goes.
        if (closed || i > 0) marked[i] = true;
        else if (next + 1 < n) marked[next] = true;
    }
    return Kept(marked, closed);
}

std::vector<std::size_t> DegenerateVertexIndexes(const PointList& points, bool closed, double angleTolerance,
                                                 double distanceTolerance, bool collinear) {
    const std::size_t n = points.size();
    if (n < 3) return {};
    std::vector<bool> marked(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        if (!closed && (i == 0 || i + 1 == n)) continue;
        const Point2d& v = points[i];
        const Point2d& prev = points[(i + n - 1) % n];
        const Point2d& next = points[(i + 1) % n];
        // A neighbour on the vertex gives no direction; doubles are the close-vertex pass's work.
        if (PointsCoincide(v.x, v.y, prev.x, prev.y) || PointsCoincide(v.x, v.y, next.x, next.y)) continue;
        const double theta = AngleBetweenRays(v, prev, next);
        if (theta < angleTolerance || theta > 2.0 * kPi - angleTolerance ||
            (collinear && std::fabs(theta - kPi) < angleTolerance)) {
            marked[i] = true;
            continue;
        }
        if (!collinear && std::fabs(theta - kPi) < 0.1) continue;
        if (DistanceToLine(next, v, prev) < distanceTolerance || DistanceToLine(prev, v, next) < distanceTolerance)
            marked[i] = true;
    }
    return Kept(marked, closed);
}

}  // namespace geometry
