// Dissolving the parcels of a drawing runs the ring topology on every parcel; these measure it on
// parcel coverages of growing size, side by side with GEOS doing the same job on the same rings.
#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <cmath>
#include <random>
#include <vector>

#include "coverage.h"
#include "geometry/topology_builder.h"

namespace {

using geometry::DoubleList;
using geometry::Point2d;
using geometry::PointList;
using bench::Coverage;
using bench::MakeCoverage;
using bench::SideFor;

void Ours(benchmark::State& state, bool outline) {
    const Coverage coverage = MakeCoverage(SideFor(state.range(0)));
    std::vector<PointList> faces;
    std::vector<DoubleList> faceBulges;
    for (auto _ : state) {
        geometry::BuildRingFaces(coverage.rings, coverage.bulges, faces, faceBulges, outline);
        benchmark::DoNotOptimize(faces.data());
    }
    state.counters["parcels"] = static_cast<double>(coverage.rings.size());
    state.counters["faces"] = static_cast<double>(faces.size());
}

void BM_OursOutline(benchmark::State& state) { Ours(state, true); }
void BM_OursCells(benchmark::State& state) { Ours(state, false); }

class GeosRun {
public:
    GeosRun() : h_(GEOS_init_r()) {}
    ~GeosRun() { GEOS_finish_r(h_); }
    GEOSContextHandle_t h() const { return h_; }

    GEOSCoordSequence* Sequence(const PointList& ring) const {
        GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h_, static_cast<unsigned>(ring.size()), 2);
        for (unsigned i = 0; i < ring.size(); ++i) GEOSCoordSeq_setXY_r(h_, seq, i, ring[i].x, ring[i].y);
        return seq;
    }
    GEOSGeometry* Polygons(const Coverage& coverage) const {
        std::vector<GEOSGeometry*> parts;
        for (const PointList& ring : coverage.rings) {
            parts.push_back(GEOSGeom_createPolygon_r(h_, GEOSGeom_createLinearRing_r(h_, Sequence(ring)), nullptr, 0));
        }
        return GEOSGeom_createCollection_r(h_, GEOS_MULTIPOLYGON, parts.data(), static_cast<unsigned>(parts.size()));
    }
    GEOSGeometry* Lines(const Coverage& coverage) const {
        std::vector<GEOSGeometry*> parts;
        for (const PointList& ring : coverage.rings) parts.push_back(GEOSGeom_createLineString_r(h_, Sequence(ring)));
        return GEOSGeom_createCollection_r(h_, GEOS_MULTILINESTRING, parts.data(), static_cast<unsigned>(parts.size()));
    }

private:
    GEOSContextHandle_t h_;
};

// The general union, as for arbitrary overlapping polygons (what the outline flag answers).
void BM_GeosUnaryUnion(benchmark::State& state) {
    const Coverage coverage = MakeCoverage(SideFor(state.range(0)));
    GeosRun geos;
    GEOSGeometry* polygons = geos.Polygons(coverage);
    for (auto _ : state) {
        GEOSGeometry* merged = GEOSUnaryUnion_r(geos.h(), polygons);
        benchmark::DoNotOptimize(merged);
        GEOSGeom_destroy_r(geos.h(), merged);
    }
    GEOSGeom_destroy_r(geos.h(), polygons);
}

// The union that trusts its input to be a clean coverage (for reference; our routine does not).
void BM_GeosCoverageUnion(benchmark::State& state) {
    const Coverage coverage = MakeCoverage(SideFor(state.range(0)));
    GeosRun geos;
    GEOSGeometry* polygons = geos.Polygons(coverage);
    for (auto _ : state) {
        GEOSGeometry* merged = GEOSCoverageUnion_r(geos.h(), polygons);
        benchmark::DoNotOptimize(merged);
        GEOSGeom_destroy_r(geos.h(), merged);
    }
    GEOSGeom_destroy_r(geos.h(), polygons);
}

// Node the boundaries, then polygonize them (what the cells answer).
void BM_GeosPolygonize(benchmark::State& state) {
    const Coverage coverage = MakeCoverage(SideFor(state.range(0)));
    GeosRun geos;
    GEOSGeometry* lines = geos.Lines(coverage);
    for (auto _ : state) {
        GEOSGeometry* noded = GEOSUnaryUnion_r(geos.h(), lines);
        const GEOSGeometry* input[] = {noded};
        GEOSGeometry* faces = GEOSPolygonize_r(geos.h(), input, 1);
        benchmark::DoNotOptimize(faces);
        GEOSGeom_destroy_r(geos.h(), faces);
        GEOSGeom_destroy_r(geos.h(), noded);
    }
    GEOSGeom_destroy_r(geos.h(), lines);
}

#define COVERAGE_SIZES Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(BM_OursOutline)->COVERAGE_SIZES;
BENCHMARK(BM_GeosUnaryUnion)->COVERAGE_SIZES;
BENCHMARK(BM_GeosCoverageUnion)->COVERAGE_SIZES;
BENCHMARK(BM_OursCells)->COVERAGE_SIZES;
BENCHMARK(BM_GeosPolygonize)->COVERAGE_SIZES;

// One long parcel outline: a wavy ring of 20 000 vertices, cut against itself and traced.
void BM_LongRing(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    PointList ring;
    for (int k = 0; k < n; ++k) {
        const double a = 2 * 3.141592653589793 * k / n;
        const double r = 1000.0 + 30.0 * std::sin(97.0 * a);
        ring.push_back({500000.0 + r * std::cos(a), 3000000.0 + r * std::sin(a)});
    }
    ring.push_back(ring.front());
    const std::vector<PointList> rings{ring};
    const std::vector<DoubleList> bulges{DoubleList(ring.size(), 0.0)};
    std::vector<PointList> faces;
    std::vector<DoubleList> faceBulges;
    for (auto _ : state) {
        geometry::BuildRingFaces(rings, bulges, faces, faceBulges, true);
        benchmark::DoNotOptimize(faces.data());
    }
}
BENCHMARK(BM_LongRing)->Arg(20000)->Unit(benchmark::kMillisecond);

// A self-crossing ring of 20 000 vertices: a zigzag whose closing stroke crosses every tooth.
void BM_LongSelfCrossingRingCut(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    PointList ring;
    for (int k = 0; k <= n; ++k) ring.push_back({double(k), k % 2 == 0 ? 0.0 : 2.0});
    ring.push_back({double(n), 1});
    ring.push_back({0, 1});
    ring.push_back({0, 0});
    const DoubleList bulges(ring.size(), 0.0);
    for (auto _ : state) {
        geometry::TopologyBuilder builder;
        builder.AddPolyline(ring, bulges);
        builder.CutSegments();
        benchmark::DoNotOptimize(builder.Pieces().Size());
    }
}
BENCHMARK(BM_LongSelfCrossingRingCut)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
