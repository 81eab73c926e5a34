// The overlap checks relate every parcel to those whose box touches its own; these measure the
// relation of two long rings and of whole coverages, beside GEOS relate on the same pairs.
#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <cmath>
#include <utility>
#include <vector>

#include "coverage.h"
#include "geometry/box_index.h"
#include "geometry/extents.h"
#include "geometry/ring_relation.h"

namespace {

using geometry::DoubleList;
using geometry::Point2d;
using geometry::PointList;

// A wavy ring of n vertices; with `teeth`, every tenth vertex is pushed out and in by turns, so
// that the second ring crosses the first there.
PointList LongRing(int n, bool teeth) {
    PointList ring;
    for (int k = 0; k < n; ++k) {
        const double a = 2 * 3.141592653589793 * k / n;
        double r = 1000.0 + 30.0 * std::sin(97.0 * a);
        if (teeth && k % 10 == 0) r += (k / 10) % 2 == 0 ? 0.05 : -0.05;
        ring.push_back({500000.0 + r * std::cos(a), 3000000.0 + r * std::sin(a)});
    }
    return ring;
}

void BM_RelationOfLongRings(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const PointList first = LongRing(n, false);
    const PointList second = LongRing(n, state.range(1) != 0);
    const DoubleList bulges(static_cast<size_t>(n), 0.0);
    int code = 0;
    for (auto _ : state) {
        code = geometry::RingRelation(first, bulges, second, bulges);
        benchmark::DoNotOptimize(code);
    }
    state.counters["code"] = code;
}
// Equal rings, then rings crossing at every tenth vertex.
BENCHMARK(BM_RelationOfLongRings)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

// Each pair of parcels whose boxes touch, once (the lower index asks).
std::vector<std::pair<uint32_t, uint32_t>> TouchingPairs(const bench::Coverage& coverage) {
    std::vector<geometry::Extents> boxes;
    for (const PointList& ring : coverage.rings) boxes.push_back(geometry::PointsExtents(ring));
    const geometry::BoxIndex index(boxes);
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    std::vector<uint32_t> found;
    for (uint32_t i = 0; i < boxes.size(); ++i) {
        found.clear();
        index.Query(boxes[i], found);
        for (uint32_t j : found)
            if (j > i) pairs.emplace_back(i, j);
    }
    return pairs;
}

void BM_OursCoverageRelations(benchmark::State& state) {
    const bench::Coverage coverage = bench::MakeCoverage(bench::SideFor(state.range(0)));
    const auto pairs = TouchingPairs(coverage);
    for (auto _ : state) {
        int touching = 0;
        for (const auto& [i, j] : pairs)
            touching += geometry::RingRelation(coverage.rings[i], coverage.bulges[i], coverage.rings[j],
                                               coverage.bulges[j]) == geometry::kRelationTouch;
        benchmark::DoNotOptimize(touching);
    }
    state.counters["pairs"] = static_cast<double>(pairs.size());
}

void BM_GeosCoverageRelations(benchmark::State& state) {
    const bench::Coverage coverage = bench::MakeCoverage(bench::SideFor(state.range(0)));
    const auto pairs = TouchingPairs(coverage);
    GEOSContextHandle_t h = GEOS_init_r();
    std::vector<GEOSGeometry*> polygons;
    for (const PointList& ring : coverage.rings) {
        GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h, static_cast<unsigned>(ring.size()), 2);
        for (unsigned k = 0; k < ring.size(); ++k) GEOSCoordSeq_setXY_r(h, seq, k, ring[k].x, ring[k].y);
        polygons.push_back(GEOSGeom_createPolygon_r(h, GEOSGeom_createLinearRing_r(h, seq), nullptr, 0));
    }
    for (auto _ : state) {
        int touching = 0;
        for (const auto& [i, j] : pairs) {
            char* matrix = GEOSRelate_r(h, polygons[i], polygons[j]);
            touching += matrix[0] == 'F';
            GEOSFree_r(h, matrix);
        }
        benchmark::DoNotOptimize(touching);
    }
    for (GEOSGeometry* g : polygons) GEOSGeom_destroy_r(h, g);
    GEOS_finish_r(h);
    state.counters["pairs"] = static_cast<double>(pairs.size());
}

#define COVERAGE_SIZES Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(BM_OursCoverageRelations)->COVERAGE_SIZES;
BENCHMARK(BM_GeosCoverageRelations)->COVERAGE_SIZES;

}  // namespace
