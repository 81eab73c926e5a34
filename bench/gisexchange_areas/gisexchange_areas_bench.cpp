// The area geometry of the exports on generated towns with straight street sides: every parcel
// cut where it meets its neighbours and filed in one shared line set, by the table-driven
// export's own cut. GEOS nodes the same boundaries first, in the same run, and the cut reports its time as a
// multiple of GEOS's ("x_geos"). Then the overlap of every house that crosses its parcel.
#include <benchmark/benchmark.h>
#include <geos_c.h>

#include <time.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "drawingutil/curve_kinds.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "gisexchange/member_cutting.h"
#include "gisexchange/parcel_measures.h"
#include "gisexchange/shared_lines.h"
#include "gisexchange/sorted_ids.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_database.h"
#include "platform/cad/selection.h"
#include "platform/cad/view_state.h"

namespace {

using namespace gisexchange;

// Seconds on the monotonic clock (<chrono> does not build with the GBK execution character set).
double Now()
{
    timespec at{};
    clock_gettime(CLOCK_MONOTONIC, &at);
    return static_cast<double>(at.tv_sec) + static_cast<double>(at.tv_nsec) * 1e-9;
}

struct Town {
    std::unique_ptr<AcDbDatabase> db;
    std::vector<AcDbObjectId> parcels;
    std::vector<AcDbObjectId> houses;
    std::vector<AcGePoint2dArray> rings;  // of the parcels
};

std::vector<AcDbObjectId> Members(ads_name ss)
{
    std::vector<AcDbObjectId> ids;
    Adesk::Int32 n = 0;
    acedSSLength(ss, &n);
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name e;
        AcDbObjectId id;
        acedSSName(ss, i, e);
        acdbGetObjectId(id, e);
        ids.push_back(id);
    }
    acedSSFree(ss);
    return ids;
}

struct Name {
    explicit Name(AcDbObjectId id) { acdbGetAdsName(value, id); }
    operator const std::int64_t*() const { return value; }
    ads_name value{};
};

// One town per size, drawn once and kept as the working drawing.
Town& TownOf(int parcels)
{
    static std::map<int, Town> towns;
    Town& town = towns[parcels];
    if (!town.db) {
        town.db = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(town.db.get());
        makedrawing::Options options;
        options.parcels = parcels;
        options.straightSides = true;
        options.rates.housesAcrossBoundaries = 0.1;
        makedrawing::DrawTown(makedrawing::PlanTown(options, {"141100", "141200", "141300"}));
        ads_name all{};
        acedSSGet("X", nullptr, nullptr, nullptr, all);
        for (AcDbObjectId id : Members(all)) {
            std::string code;
            GetEntityCode(Name(id), code);
            if (GetCurveKind(Name(id), 1) < kCurveClosedOffset)
                continue;
            if (code == "300000") {
                town.parcels.push_back(id);
                town.rings.emplace_back();
                GetCurvePoints(Name(id), town.rings.back(), 0);
            } else if (code.rfind("1411", 0) == 0) {
                town.houses.push_back(id);
            }
        }
    }
    acdbHostApplicationServices()->setWorkingDatabase(town.db.get());
    return town;
}

std::map<int, double> geosSeconds;

void BM_GeosNodeBoundaries(benchmark::State& state)
{
    const Town& town = TownOf(static_cast<int>(state.range(0)));
    GEOSContextHandle_t h = GEOS_init_r();
    double total = 0;
    for (auto _ : state) {
        double start = Now();
        std::vector<GEOSGeometry*> lines;
        for (const AcGePoint2dArray& ring : town.rings) {
            auto n = static_cast<unsigned>(ring.length());
            GEOSCoordSequence* seq = GEOSCoordSeq_create_r(h, n + 1, 2);
            for (unsigned i = 0; i <= n; ++i)
                GEOSCoordSeq_setXY_r(h, seq, i, ring[static_cast<int>(i % n)].x, ring[static_cast<int>(i % n)].y);
            lines.push_back(GEOSGeom_createLineString_r(h, seq));
        }
        GEOSGeometry* all = GEOSGeom_createCollection_r(h, GEOS_MULTILINESTRING, lines.data(),
                                                        static_cast<unsigned>(lines.size()));
        GEOSGeometry* noded = GEOSNode_r(h, all);
        benchmark::DoNotOptimize(noded);
        GEOSGeom_destroy_r(h, noded);
        GEOSGeom_destroy_r(h, all);
        total += Now() - start;
    }
    geosSeconds[static_cast<int>(state.range(0))] = total / static_cast<double>(state.iterations());
    GEOS_finish_r(h);
}

void BM_CutParcelsIntoSharedLines(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const Town& town = TownOf(size);
    const SortedIdSet category = BuildSortedIdSet(town.parcels);
    // The drawing shown whole first: that look builds the index of the host's selections, which
    // the export finds built by its steps before the cut.
    platform::cad::ZoomExtents(town.db.get());
    double total = 0;
    std::size_t lines = 0;
    for (auto _ : state) {
        double start = Now();
        SharedLineSet set;
        set.keepContributors = true;
        CutMembersIntoSharedLines(category, set);
        lines = set.lines.size();
        total += Now() - start;
    }
    state.counters["lines"] = static_cast<double>(lines);
    auto geos = geosSeconds.find(size);
    if (geos != geosSeconds.end() && geos->second > 0)
        state.counters["x_geos"] = total / static_cast<double>(state.iterations()) / geos->second;
}

void BM_OverlapOfHousesAcrossParcels(benchmark::State& state)
{
    const Town& town = TownOf(static_cast<int>(state.range(0)));
    // The pairs, found once: houses crossing a parcel's outline without lying inside it.
    std::vector<std::pair<AcDbObjectId, AcDbObjectId>> pairs;
    for (std::size_t p = 0; p < town.parcels.size(); ++p) {
        ads_name crossing{}, window{};
        if (!SelectByPolygon(town.rings[p], "CP", crossing, 0))
            continue;
        bool inside = SelectByPolygon(town.rings[p], "WP", window, 0);
        std::vector<AcDbObjectId> within = inside ? Members(window) : std::vector<AcDbObjectId>{};
        for (AcDbObjectId id : Members(crossing)) {
            std::string code;
            GetEntityCode(Name(id), code);
            if (code.rfind("1411", 0) == 0 && std::find(within.begin(), within.end(), id) == within.end())
                pairs.emplace_back(id, town.parcels[p]);
        }
    }
    for (auto _ : state) {
        double area = 0;
        for (const auto& [house, parcel] : pairs)
            area += OverlapArea(Name(house), Name(parcel));
        benchmark::DoNotOptimize(area);
    }
    state.counters["houses"] = static_cast<double>(pairs.size());
}

#define TOWN_SIZES Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)
BENCHMARK(BM_GeosNodeBoundaries)->TOWN_SIZES;
BENCHMARK(BM_CutParcelsIntoSharedLines)->TOWN_SIZES;
BENCHMARK(BM_OverlapOfHousesAcrossParcels)->TOWN_SIZES;

}  // namespace
