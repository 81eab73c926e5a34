// CheckFWClosed on generated towns (one house per parcel, 4 in 100 left open), the toolkit's code
// called in process on the working drawing. The browser is not loaded, so each finding's call of
// "kelvo_receive" fails at once and the figures are the check's own: selection, codes, closure.
#include <benchmark/benchmark.h>

#include <memory>

#include "cadastral/config_tables.h"
#include "cadastral/house_closure_check.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"

namespace {

void BM_CheckFWClosed(benchmark::State& state)
{
    platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
    cadastral::LoadConfigTables();
    makedrawing::Options options;
    options.parcels = static_cast<int>(state.range(0));
    options.rates = {0.04, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<std::string> houseCodes = {"141100", "141200", "141300"};
    auto db = std::make_unique<AcDbDatabase>();
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    auto faults = makedrawing::DrawTown(makedrawing::PlanTown(options, houseCodes));
    for (auto _ : state) {
        cadastral::CheckFWClosed();
        platform::cad::ClearCommandLine();
    }
    state.counters["open"] = static_cast<double>(faults.size());
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}
BENCHMARK(BM_CheckFWClosed)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
