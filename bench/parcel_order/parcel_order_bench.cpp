// The toolkit's parcel readers on generated towns (arcs, doubled vertices, a third of the parcels
// lightweight): putting every parcel into the canonical order, as a drawing's first activation
// does, and reading every parcel's boundary points and boundary lines with one point index for the
// run, as the coder and the export do. Each run works on a fresh town, drawn before the clock
// starts.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "cadastral/entity_selection.h"
#include "cadastral/parcel_boundary.h"
#include "cadastral/parcel_order.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_database.h"
#include "platform/cad/selection.h"

namespace {

struct Town {
    std::unique_ptr<AcDbDatabase> db = std::make_unique<AcDbDatabase>();
    explicit Town(int parcels) {
        makedrawing::Options options;
        options.parcels = parcels;
        options.rates.doubledVertices = 0.05;
        options.lightweightParcels = 0.3;
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        makedrawing::DrawTown(makedrawing::PlanTown(options, {"141100", "141200", "141300"}));
    }
    ~Town() { acdbHostApplicationServices()->setWorkingDatabase(nullptr); }
};

// The polylines on the parcel layer, in drawing order.
std::vector<AcDbObjectId> ParcelLayerPolylines() {
    std::vector<AcDbObjectId> ids;
    ads_name selection;
    if (!cadastral::SelectByFilter(selection, "lwpolyline,JZD;polyline,JZD", "", false))
        return ids;
    Adesk::Int32 n = 0;
    acedSSLength(selection, &n);
    for (Adesk::Int32 i = 0; i < n; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (acedSSName(selection, i, entity) == RTNORM && acdbGetObjectId(id, entity) == Acad::eOk)
            ids.push_back(id);
    }
    acedSSFree(selection);
    return ids;
}

void BM_OrderParcels(benchmark::State& state) {
    std::unique_ptr<Town> town;
    for (auto _ : state) {
        state.PauseTiming();
        town.reset();
        town = std::make_unique<Town>(static_cast<int>(state.range(0)));
        const std::vector<AcDbObjectId> parcels = ParcelLayerPolylines();
        state.ResumeTiming();
        int ordered = 0;
        for (AcDbObjectId id : parcels) {
            ads_name name;
            acdbGetAdsName(name, id);
            ordered += cadastral::OrderParcelVertices(name);
        }
        state.counters["ordered"] = ordered;
    }
}
BENCHMARK(BM_OrderParcels)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CollectParcelBoundaryAndLines(benchmark::State& state) {
    std::unique_ptr<Town> town;
    for (auto _ : state) {
        state.PauseTiming();
        town.reset();
        town = std::make_unique<Town>(static_cast<int>(state.range(0)));
        const std::vector<AcDbObjectId> parcels = ParcelLayerPolylines();
        state.ResumeTiming();
        const cadastral::BoundaryPointIndex index;
        double lines = 0;
        double points = 0;
        for (AcDbObjectId id : parcels) {
            AcDbObjectIdArray vertexIds;
            AcGePoint2dArray vertices;
            AcGeDoubleArray lengths;
            if (cadastral::CollectParcelBoundary(id, vertexIds, vertices, lengths, 0, &index))
                points += vertices.length();
            ads_name name;
            acdbGetAdsName(name, id);
            std::vector<AcGePoint2dArray> chains;
            cadastral::CollectBoundaryLines(name, chains, &index);
            lines += static_cast<double>(chains.size());
        }
        state.counters["points"] = points;
        state.counters["lines"] = lines;
    }
}
BENCHMARK(BM_CollectParcelBoundaryAndLines)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
