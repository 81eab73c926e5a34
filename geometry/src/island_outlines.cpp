#include "geometry/island_outlines.h"

#include <numeric>

#include "geometry/extents.h"
#include "geometry/point_clusters.h"
#include "geometry/topology_records.h"

namespace geometry {

namespace {

class Groups {
public:
    uint32_t Find(uint32_t i) {
        while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
        return i;
    }
    void Join(uint32_t a, uint32_t b) { parent_[Find(a)] = Find(b); }
    void Grow(size_t size) {
        const size_t old = parent_.size();
        parent_.resize(size);
        std::iota(parent_.begin() + static_cast<std::ptrdiff_t>(old), parent_.end(), static_cast<uint32_t>(old));
    }

private:
    std::vector<uint32_t> parent_;
};

bool ContainedIn(const PointList& inner, const PointList& outer) {
    bool strictlyInside = false;
    for (const Point2d& p : inner) {
        const int where = LocatePointInRing(p, outer);
        if (where < 0) return false;
        strictlyInside = strictlyInside || where > 0;
    }
    return strictlyInside;
}

bool BoxWithin(const Extents& inner, const Extents& outer) {
    return inner.min.x >= outer.min.x && inner.min.y >= outer.min.y && inner.max.x <= outer.max.x &&
           inner.max.y <= outer.max.y;
}

}  // namespace

int LocatePointInRing(const Point2d& p, const PointList& ring) {
    bool inside = false;
    for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Point2d& a = ring[j];
        const Point2d& b = ring[i];
        const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        if (cross == 0 && p.x >= std::min(a.x, b.x) && p.x <= std::max(a.x, b.x) && p.y >= std::min(a.y, b.y) &&
            p.y <= std::max(a.y, b.y)) {
            return 0;
        }
        if ((a.y > p.y) != (b.y > p.y)) {
            const double x = a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (p.x < x) inside = !inside;
        }
    }
    return inside ? 1 : -1;
}

void RemoveIslandOutlines(std::vector<PointList>& outlines, const std::vector<PointList>& edges) {
    if (outlines.size() < 2) return;
    PointClusters clusters(kPointTolerance);
    Groups groups;
    for (const PointList& edge : edges) {
        if (edge.size() < 2) continue;
        const uint32_t a = clusters.Insert(edge.front());
        const uint32_t b = clusters.Insert(edge.back());
        groups.Grow(clusters.Size());
        groups.Join(a, b);
    }
    std::vector<uint32_t> group(outlines.size());
    std::vector<Extents> boxes(outlines.size());
    for (size_t i = 0; i < outlines.size(); ++i) {
        const uint32_t node = clusters.Insert(outlines[i].front());
        groups.Grow(clusters.Size());
        group[i] = groups.Find(node);
        boxes[i] = PointsExtents(outlines[i]);
    }
    // Outlines of one group are few; only they are compared, and only when their boxes nest.
    std::vector<std::vector<uint32_t>> members(clusters.Size());
    for (uint32_t i = 0; i < outlines.size(); ++i) members[group[i]].push_back(i);
    std::vector<char> island(outlines.size(), 0);
    for (const std::vector<uint32_t>& same : members) {
        for (uint32_t i : same) {
            for (uint32_t j : same) {
                if (i == j || island[j] || !BoxWithin(boxes[i], boxes[j])) continue;
                if (ContainedIn(outlines[i], outlines[j])) {
                    island[i] = 1;
                    break;
                }
            }
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < outlines.size(); ++i) {
        if (island[i]) continue;
        if (kept != i) outlines[kept] = std::move(outlines[i]);
        ++kept;
    }
    outlines.resize(kept);
}

}  // namespace geometry
