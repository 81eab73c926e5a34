#pragma once
// Parcel coverages for the geometry benchmarks: grids of jittered parcels at survey coordinates.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "geometry/point2d.h"

namespace bench {

using geometry::DoubleList;
using geometry::Point2d;
using geometry::PointList;

struct Coverage {
    std::vector<PointList> rings;
    std::vector<DoubleList> bulges;
};

// A grid of side x side parcels at survey coordinates. Every corner and every side's midpoint is
// jittered once and shared by the parcels that meet there, so the parcels tile without gaps and
// each ring has 8 vertices.
inline Coverage MakeCoverage(int side) {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> jitter(-2.5, 2.5);
    const int n = 2 * side + 1;  // vertex lattice with midpoints
    std::vector<Point2d> lattice(static_cast<size_t>(n) * n);
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const bool border = i == 0 || j == 0 || i == n - 1 || j == n - 1;
            lattice[static_cast<size_t>(j) * n + i] = {500000.0 + 10.0 * i + (border ? 0 : jitter(random)),
                                                       3000000.0 + 10.0 * j + (border ? 0 : jitter(random))};
        }
    }
    auto at = [&](int i, int j) { return lattice[static_cast<size_t>(j) * n + i]; };
    Coverage coverage;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int i = 2 * x, j = 2 * y;
            PointList ring{at(i, j),         at(i + 1, j),     at(i + 2, j),     at(i + 2, j + 1),
                           at(i + 2, j + 2), at(i + 1, j + 2), at(i, j + 2),     at(i, j + 1),
                           at(i, j)};
            coverage.bulges.push_back(DoubleList(ring.size(), 0.0));
            coverage.rings.push_back(std::move(ring));
        }
    }
    return coverage;
}

inline int SideFor(int64_t parcels) { return static_cast<int>(std::lround(std::sqrt(static_cast<double>(parcels)))); }

}  // namespace bench
