// The integrity check of every parcel of a surveyed town (as the exchange-package export runs it)
// and the check of bare parcel vertices, the toolkit's code called in process on the working
// drawing. The browser is not loaded, so each report's call of "kelvo_receive" fails at once and
// the figures are the routines' own.
#include <benchmark/benchmark.h>

#include "bench_towns.h"
#include "cadastral/boundary_numbering.h"
#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "cadastral/parcel_integrity.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/ui/answer_source.h"

namespace {

struct Town {
    explicit Town(int parcels) {
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        cadastral::LoadConfigTables();
        acDocManager->appContextNewDocument(nullptr);
        const makedrawing::Options options = bench_towns::CheckedTown(parcels);
        makedrawing::DrawTown(makedrawing::PlanTown(options, bench_towns::kHouseCodesOfOneClass), options);
        acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    }
    ~Town() { acDocManager->closeAll(); }
};

void BM_CheckParcelsForExport(benchmark::State& state) {
    Town town(static_cast<int>(state.range(0)));
    cadastral::ParcelIntegrityChecker checker;
    ads_name parcels;
    if (cadastral::SelectByFilterAndCode(parcels, "*polyline,JZD", "300000"))
        for (const AcDbObjectId& id : bench_towns::TakeIds(parcels))
            checker.AddParcel(id);
    bool defect = false;
    for (auto _ : state)
        defect = checker.CheckParcelsForExport();
    state.counters["defect"] = defect ? 1 : 0;
    platform::cad::ClearCommandLine();
}
BENCHMARK(BM_CheckParcelsForExport)
    ->Name("CheckParcelsForExport")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_CheckParcelVertex(benchmark::State& state) {
    Town town(static_cast<int>(state.range(0)));
    // The closing message box of a clean drawing is answered at once.
    auto answers = platform::ui::UseAnswerQueue();
    for (auto _ : state)
        cadastral::CheckParcelVertex();
    platform::cad::ClearCommandLine();
}
BENCHMARK(BM_CheckParcelVertex)
    ->Name("CheckParcelVertex")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
