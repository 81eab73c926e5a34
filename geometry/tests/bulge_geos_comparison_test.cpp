// The point test, meeting points, distances and ring relations against GEOS, on random rings whose
// vertices lie on a grid, moved to survey coordinates. Arcs are given to GEOS as fine chords.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "geometry/arc_geometry.h"
#include "geometry/bulge_polygon.h"
#include "geometry/bulge_polyline.h"
#include "geometry/ring_relation.h"
#include "geos_reference.h"

namespace geometry {
namespace {

constexpr double kX0 = 512345.0;
constexpr double kY0 = 3401234.0;

struct Ring {
    PointList points;
    DoubleList bulges;
    PointList chords;  // arcs replaced by chords of at most 1e-5 sagitta
    PointList arcMiddles;
};

// The arcs as chords; an even number of chords per arc, so that each arc's middle is a vertex.
void Densify(Ring& ring) {
    const std::size_t n = ring.points.size();
    ring.chords.clear();
    ring.arcMiddles.clear();
    for (std::size_t i = 0; i < n; ++i) {
        const Point2d& s = ring.points[i];
        const Point2d& e = ring.points[(i + 1) % n];
        ring.chords.push_back(s);
        Point2d c;
        double r = 0, a0 = 0, a1 = 0;
        if (std::fabs(ring.bulges[i]) < 0.001 || !SegmentPolarGeometry(s, e, ring.bulges[i], c, r, a0, a1)) continue;
        const double sweep = 4 * std::atan(std::fabs(ring.bulges[i]));
        const double step = 2 * std::acos(1 - 1e-5 / r);
        const int count = 2 * static_cast<int>(std::ceil(sweep / step / 2));
        const double from = std::atan2(s.y - c.y, s.x - c.x);
        const double sign = ring.bulges[i] > 0 ? 1.0 : -1.0;
        for (int k = 1; k < count; ++k) {
            const double angle = from + sign * sweep * k / count;
            ring.chords.push_back({c.x + r * std::cos(angle), c.y + r * std::sin(angle)});
            if (2 * k == count) ring.arcMiddles.push_back(ring.chords.back());
        }
    }
}

bool Valid(const PointList& ring) { return testing::GeosRingRelation(ring, ring) != 1000; }

// A star-shaped ring about a grid point, its vertices rounded to the grid; some sides bulge.
Ring RandomRing(std::mt19937& random, bool arcs) {
    std::uniform_int_distribution<int> count(3, 9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (;;) {
        Ring ring;
        const int n = count(random);
        std::vector<double> angles;
        for (int i = 0; i < n; ++i) angles.push_back(unit(random) * 2 * 3.141592653589793);
        std::sort(angles.begin(), angles.end());
        const double cx = std::floor(unit(random) * 6), cy = std::floor(unit(random) * 6);
        for (double a : angles) {
            const double radius = 2 + unit(random) * 6;
            const Point2d p{kX0 + cx + std::round(radius * std::cos(a)), kY0 + cy + std::round(radius * std::sin(a))};
            if (ring.points.empty() || !(p == ring.points.back())) ring.points.push_back(p);
        }
        if (ring.points.size() > 1 && ring.points.back() == ring.points.front()) ring.points.pop_back();
        if (ring.points.size() < 3) continue;
        ring.bulges.assign(ring.points.size(), 0.0);
        if (arcs) {
            for (double& b : ring.bulges)
                if (unit(random) < 0.4) b = (unit(random) < 0.5 ? -1 : 1) * (0.1 + 0.5 * unit(random));
        }
        Densify(ring);
        if (Valid(ring.chords)) return ring;
    }
}

TEST(BulgeGeosComparison, PointLocationOnGridRings) {
    std::mt19937 random(20241209);
    std::uniform_int_distribution<int> eighth(-8, 104);
    int compared = 0;
    for (int r = 0; r < 300; ++r) {
        const Ring ring = RandomRing(random, r % 2 == 1);
        PointList probes = ring.points;
        for (std::size_t i = 0; i < ring.points.size(); ++i) {
            if (ring.bulges[i] != 0.0) continue;
            const Point2d& s = ring.points[i];
            const Point2d& e = ring.points[(i + 1) % ring.points.size()];
            probes.push_back({(s.x + e.x) / 2, (s.y + e.y) / 2});
        }
        probes.insert(probes.end(), ring.arcMiddles.begin(), ring.arcMiddles.end());
        const std::size_t onBoundary = probes.size();
        const PreparedBulgePolygon prepared(ring.points, ring.bulges);
        // Off the boundary: steps of 1/8 put many probes level with vertices.
        for (int k = 0; k < 30; ++k) {
            const Point2d p{kX0 - 2 + eighth(random) / 8.0, kY0 - 2 + eighth(random) / 8.0};
            if (testing::GeosBoundaryDistance(ring.chords, true, p) > 1e-3) probes.push_back(p);
        }
        for (std::size_t k = 0; k < probes.size(); ++k) {
            const Point2d& p = probes[k];
            const int ours = PointInBulgePolygon(ring.points, ring.bulges, p.x, p.y);
            const int geos = testing::GeosPointLocation(ring.chords, p);
            if (k < onBoundary) {
                EXPECT_EQ(ours, 0) << "ring " << r << " probe " << k;
            }
            EXPECT_EQ(prepared.Locate(p.x, p.y), ours) << "ring " << r << " probe " << k;
            EXPECT_EQ(ours, -geos) << "ring " << r << " at " << p.x - kX0 << " " << p.y - kY0;
            ++compared;
        }
    }
    EXPECT_GT(compared, 6000);
}

TEST(BulgeGeosComparison, MeetingPointsAndDistances) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> shift(-4, 4);
    std::uniform_int_distribution<int> quarter(-8, 48);
    for (int r = 0; r < 150; ++r) {
        const Ring a = RandomRing(random, false);
        Ring b = RandomRing(random, false);
        const double dx = shift(random), dy = shift(random);
        for (Point2d& p : b.points) p = {p.x + dx, p.y + dy};
        PointList ours;
        IntersectBulgePolylines(a.points, a.bulges, b.points, b.bulges, true, true, 0.001, ours);
        for (const Point2d& p : ours) {
            EXPECT_LT(testing::GeosBoundaryDistance(a.points, true, p), 1e-6) << r;
            EXPECT_LT(testing::GeosBoundaryDistance(b.points, true, p), 1e-6) << r;
        }
        const testing::GeosMeeting geos = testing::GeosBoundaryMeeting(a.points, b.points);
        auto found = [&](const Point2d& q) {
            return std::any_of(ours.begin(), ours.end(), [&](const Point2d& p) { return SquaredDistance(p, q) < 1e-12; });
        };
        for (const Point2d& q : geos.points) EXPECT_TRUE(found(q)) << r << " misses " << q.x - kX0 << " " << q.y - kY0;
        for (const Point2d& q : geos.stretchEnds) EXPECT_TRUE(found(q)) << r << " misses an end";
    }
    for (int r = 0; r < 100; ++r) {
        const Ring ring = RandomRing(random, true);
        const bool closed = r % 3 != 0;
        const PointList line = closed ? ring.chords : PointList(ring.chords.begin(), ring.chords.end());
        for (int k = 0; k < 10; ++k) {
            const Point2d p{kX0 - 2 + quarter(random) / 4.0, kY0 - 2 + quarter(random) / 4.0};
            double distance = 0;
            Point2d nearest;
            ASSERT_TRUE(DistanceToBulgePolyline(ring.points, ring.bulges, closed, p, 0.001, distance, nearest));
            // Open, the chords stop at the last vertex: the last side is left out of both.
            const PointList geosLine = closed ? ring.chords
                                              : PointList(ring.chords.begin(),
                                                          std::find(ring.chords.begin(), ring.chords.end(),
                                                                    ring.points.back()) + 1);
            EXPECT_NEAR(distance, testing::GeosBoundaryDistance(geosLine, closed, p), 2e-5) << r;
            EXPECT_NEAR(std::sqrt(SquaredDistance(p, nearest)), distance, 1e-9);
        }
    }
}

PointList GridShape(std::mt19937& random, int low = 0, int high = 4) {
    std::uniform_int_distribution<int> coord(low, high);
    int x0 = coord(random), x1 = coord(random), y0 = coord(random), y1 = coord(random);
    while (x0 == x1) x1 = coord(random);
    while (y0 == y1) y1 = coord(random);
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    PointList ring;
    if (random() % 3 == 0 && x1 - x0 > 1 && y1 - y0 > 1) {
        // An L: the rectangle less its top right corner.
        const int xm = x0 + 1 + static_cast<int>(random() % static_cast<unsigned>(x1 - x0 - 1));
        const int ym = y0 + 1 + static_cast<int>(random() % static_cast<unsigned>(y1 - y0 - 1));
        ring = {{double(x0), double(y0)}, {double(x1), double(y0)}, {double(x1), double(ym)},
                {double(xm), double(ym)}, {double(xm), double(y1)}, {double(x0), double(y1)}};
    } else {
        ring = {{double(x0), double(y0)}, {double(x1), double(y0)}, {double(x1), double(y1)}, {double(x0), double(y1)}};
    }
    std::rotate(ring.begin(), ring.begin() + static_cast<std::ptrdiff_t>(random() % ring.size()), ring.end());
    if (random() % 2 == 0) std::reverse(ring.begin(), ring.end());
    for (Point2d& p : ring) p = {p.x + kX0, p.y + kY0};
    return ring;
}

TEST(BulgeGeosComparison, RingRelationOnGridPairs) {
    std::mt19937 random(11);
    int codes[6] = {};
    for (int r = 0; r < 600; ++r) {
        PointList a, b;
        if (r < 450) {
            // Every fifth pair: a large shape and a smaller one that often lies inside it.
            a = r % 5 == 2 ? GridShape(random, 0, 8) : GridShape(random);
            b = r % 10 == 0 ? a : r % 5 == 2 ? GridShape(random, 2, 6) : GridShape(random);
            if (r % 10 == 0) std::rotate(b.begin(), b.begin() + 1, b.end());
        } else {
            a = RandomRing(random, false).points;
            b = RandomRing(random, false).points;
        }
        const int ours = RingRelation(a, DoubleList(a.size(), 0.0), b, DoubleList(b.size(), 0.0));
        const int geos = testing::GeosRingRelation(a, b);
        EXPECT_EQ(ours, geos) << r;
        ++codes[ours == 100 ? 5 : ours < 0 ? ours + 2 : ours == 0 ? 2 : ours % 10 == 1 ? 3 : 4];
    }
    // Every kind of relation came up.
    for (int c : codes) EXPECT_GT(c, 5);
}

}  // namespace
}  // namespace geometry
