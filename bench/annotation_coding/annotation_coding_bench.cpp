// The annotation coder on generated towns (about nine parcels to a district, arcs, a third of the
// parcels lightweight, houses on their parcel's line, points on parcel sides): the whole run of
// ADDCODEQZ after the main application's command, in one drawing. Each run codes a fresh town,
// drawn before the clock starts. On one core of the build machine: 0.29 s, 3.2 s and 38 s.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_towns.h"
#include "cadastral/annotation_coder.h"
#include "cadastral/config_tables.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"

namespace {

void BM_AnnotationCoder(benchmark::State& state) {
    platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
    cadastral::LoadConfigTables();
    const makedrawing::Options options = bench_towns::CodingTown(static_cast<int>(state.range(0)));
    const makedrawing::TownPlan plan = makedrawing::PlanTown(options, bench_towns::kHouseCodesOfThreeClasses);
    double coded = 0;
    for (auto _ : state) {
        state.PauseTiming();
        acDocManager->appContextNewDocument(nullptr);
        makedrawing::DrawTown(plan);
        state.ResumeTiming();
        cadastral::AnnotationCoder coder;
        coder.Run();
        coded = coder.AnnotationCount();
        state.PauseTiming();
        acDocManager->closeDocument(curDoc());
        platform::cad::ClearCommandLine();
        state.ResumeTiming();
    }
    state.counters["parcels"] = static_cast<double>(plan.parcels.size());
    state.counters["districts"] = static_cast<double>(plan.districts.size());
    state.counters["annotations"] = coded;
}
BENCHMARK(BM_AnnotationCoder)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
