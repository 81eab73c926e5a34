// Our faces and outlines against GEOS on random rings whose vertices lie on a grid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>

#include "geometry/topology_builder.h"
#include "geos_reference.h"

namespace geometry {
namespace {

using GridRing = std::vector<std::pair<long, long>>;

// A ring as grid vertices in a form that compares equal for the same polygon: closing point
// and collinear vertices dropped, counter-clockwise, starting at the smallest vertex.
GridRing Normalize(const PointList& ring) {
    GridRing r;
    for (const Point2d& p : ring) {
        const std::pair<long, long> v{std::lround(p.x * 1e6), std::lround(p.y * 1e6)};
        if (r.empty() || r.back() != v) r.push_back(v);
    }
    while (r.size() > 1 && r.front() == r.back()) r.pop_back();
    auto cross = [](const auto& a, const auto& b, const auto& c) {
        return static_cast<double>(b.first - a.first) * static_cast<double>(c.second - a.second) -
               static_cast<double>(b.second - a.second) * static_cast<double>(c.first - a.first);
    };
    for (bool changed = true; changed && r.size() > 2;) {
        changed = false;
        for (size_t i = 0; i < r.size() && r.size() > 2; ++i) {
            const auto& a = r[(i + r.size() - 1) % r.size()];
            const auto& c = r[(i + 1) % r.size()];
            if (cross(a, r[i], c) == 0) {
                r.erase(r.begin() + static_cast<std::ptrdiff_t>(i));
                changed = true;
                break;
            }
        }
    }
    double area = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        const auto& p = r[i];
        const auto& q = r[(i + 1) % r.size()];
        area += static_cast<double>(p.first) * static_cast<double>(q.second) -
                static_cast<double>(q.first) * static_cast<double>(p.second);
    }
    if (area < 0) std::reverse(r.begin(), r.end());
    std::rotate(r.begin(), std::min_element(r.begin(), r.end()), r.end());
    return r;
}

std::vector<GridRing> NormalizeAll(const std::vector<PointList>& rings) {
    std::vector<GridRing> out;
    for (const PointList& ring : rings) out.push_back(Normalize(ring));
    std::sort(out.begin(), out.end());
    return out;
}

std::string Describe(const std::vector<PointList>& rings) {
    std::ostringstream out;
    for (const PointList& ring : rings) {
        out << "{";
        for (const Point2d& p : ring) out << "{" << p.x << "," << p.y << "},";
        out << "}\n";
    }
    return out.str();
}

// A random triangle, rectangle or L-shaped ring on a small grid, drawn in either direction.
PointList RandomRing(std::mt19937& random) {
    std::uniform_int_distribution<int> coord(0, 8);
    std::uniform_int_distribution<int> size(1, 5);
    const double x0 = coord(random), y0 = coord(random);
    const double x1 = x0 + size(random), y1 = y0 + size(random);
    PointList ring;
    if (std::bernoulli_distribution(0.3)(random)) {
        ring = {{x0, y0}, {x1, y0}, {double(coord(random)), y1}, {x0, y0}};
        if (std::bernoulli_distribution(0.5)(random)) std::reverse(ring.begin(), ring.end());
        return ring;
    }
    if (std::bernoulli_distribution(0.3)(random) && x1 - x0 > 1 && y1 - y0 > 1) {
        const double xm = x0 + 1, ym = y0 + 1;
        ring = {{x0, y0}, {x1, y0}, {x1, ym}, {xm, ym}, {xm, y1}, {x0, y1}, {x0, y0}};
    } else {
        ring = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    }
    if (std::bernoulli_distribution(0.5)(random)) std::reverse(ring.begin(), ring.end());
    return ring;
}

TEST(GeosComparison, OutlinesAndCellsOfRandomGridRings) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 600; ++round) {
        const int count = std::uniform_int_distribution<int>(1, 8)(random);
        std::vector<PointList> rings;
        std::vector<DoubleList> bulges;
        for (int i = 0; i < count; ++i) {
            rings.push_back(RandomRing(random));
            bulges.push_back(DoubleList(rings.back().size(), 0.0));
        }
        std::vector<PointList> faces;
        std::vector<DoubleList> faceBulges;

        // One outline per connected group of rings: the outline of that group's union, gaps
        // enclosed by the group included.
        ASSERT_TRUE(BuildRingFaces(rings, bulges, faces, faceBulges, true));
        EXPECT_EQ(NormalizeAll(faces), NormalizeAll(testing::GeosOutlinesPerGroup(rings)))
            << "outlines of round " << round << "\n" << Describe(rings) << "ours:\n" << Describe(faces);

        // One cell per bounded face of the cut boundaries, holes not taken out.
        ASSERT_TRUE(BuildRingFaces(rings, bulges, faces, faceBulges, false));
        EXPECT_EQ(NormalizeAll(faces), NormalizeAll(testing::GeosPolygonizeShells(rings)))
            << "cells of round " << round << "\n" << Describe(rings) << "ours:\n" << Describe(faces);
    }
}

}  // namespace
}  // namespace geometry
