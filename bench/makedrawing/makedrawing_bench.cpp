// How long makedrawing takes for a town of a given number of parcels, every fault kind on: the
// plan, the drawing of it into a fresh database, and the DXF text of that database.
#include <benchmark/benchmark.h>

#include <memory>

#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/cad/dxf_writer.h"

namespace {

void BM_MakeTown(benchmark::State& state)
{
    makedrawing::Options options;
    options.parcels = static_cast<int>(state.range(0));
    options.rates = {0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02, 0.02};
    const std::vector<std::string> houseCodes = {"141100", "141200", "141300"};
    for (auto _ : state) {
        makedrawing::TownPlan plan = makedrawing::PlanTown(options, houseCodes);
        auto db = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        auto faults = makedrawing::DrawTown(plan);
        std::string text = platform::cad::WriteDxf(*db);
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        benchmark::DoNotOptimize(text.data());
        state.counters["bytes"] = static_cast<double>(text.size());
        state.counters["faults"] = static_cast<double>(faults.size());
    }
}
BENCHMARK(BM_MakeTown)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
