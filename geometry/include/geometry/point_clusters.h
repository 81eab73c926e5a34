#pragma once
// Points that lie within a tolerance of each other on both axes are one point to the topology
// engine. "Within the tolerance" is not transitive, so it cannot order a set directly; instead
// each point joins the cluster of the first point seen within the tolerance (that first point
// represents the cluster), and clusters are ordered exactly by their representatives.
#include <cstdint>
#include <memory>

#include "geometry/point2d.h"

namespace geometry {

namespace detail {
class FlatKeyMap;
}

class PointClusters {
public:
    explicit PointClusters(double tolerance);
    ~PointClusters();
    PointClusters(PointClusters&&) noexcept;
    PointClusters& operator=(PointClusters&&) noexcept;

    // The cluster of p: the earliest cluster whose representative lies within the tolerance on
    // both axes, or a new cluster represented by p. created tells which.
    uint32_t Insert(const Point2d& p, bool* created = nullptr);

    const Point2d& Representative(uint32_t cluster) const { return points_[cluster]; }
    size_t Size() const { return points_.size(); }

    // Exact order of representatives: by x, then by y.
    bool Before(uint32_t a, uint32_t b) const {
        const Point2d& p = points_[a];
        const Point2d& q = points_[b];
        return p.x < q.x || (p.x == q.x && p.y < q.y);
    }

private:
    int64_t Cell(double value) const;
    uint32_t FindInCell(int64_t cx, int64_t cy, const Point2d& p, uint32_t best) const;

    double tolerance_;
    double cellSize_;
    PointList points_;
    std::vector<uint32_t> next_;  // next cluster in the same cell chain
    std::unique_ptr<detail::FlatKeyMap> cells_;
};

}  // namespace geometry
