// The gap check and the gap fusion of parcels at 0.1 on generated towns with moved corners,
// vertices a neighbour lacks and doubled vertices, the toolkit's code called in process on the
// working drawing. The browser is not loaded, so each report's call of "kelvo_receive" fails at
// once and the figures are the routines' own.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_towns.h"
#include "cadastral/config_tables.h"
#include "cadastral/gap_checks.h"
#include "cadastral/gap_fusion.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"

namespace {

struct Town {
    explicit Town(int parcels) {
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        cadastral::LoadConfigTables();
        acDocManager->appContextNewDocument(nullptr);
        plan = makedrawing::PlanTown(bench_towns::GapsTown(parcels), bench_towns::kHouseCodesOfOneClass);
        faults = makedrawing::DrawTown(plan);
        acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    }
    ~Town() { acDocManager->closeAll(); }
    makedrawing::TownPlan plan;
    std::vector<makedrawing::DrawnFault> faults;
};

// One iteration each: the town is made before it, and the fusion changes the drawing.
void BM_CheckGaps(benchmark::State& state) {
    Town town(static_cast<int>(state.range(0)));
    for (auto _ : state) cadastral::CheckGaps("*polyline,jzd", "300000", "界址点", 0.1, 0);
    state.counters["faults"] = static_cast<double>(town.faults.size());
    platform::cad::ClearCommandLine();
}
BENCHMARK(BM_CheckGaps)->Name("CheckGaps")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_FuseBoundaryPointGaps(benchmark::State& state) {
    Town town(static_cast<int>(state.range(0)));
    AcDbObjectIdArray modified;
    for (auto _ : state) cadastral::FuseBoundaryPointGaps("*polyline,jzd", "300000", modified, 3, 0.1);
    state.counters["modified"] = static_cast<double>(modified.length());
    platform::cad::ClearCommandLine();
}
BENCHMARK(BM_FuseBoundaryPointGaps)->Name("FuseBoundaryPointGaps")->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
