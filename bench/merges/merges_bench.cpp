// drawzdlen over every parcel and CombineZD at 0.1 on generated towns with moved corners and
// vertices a neighbour lacks, the toolkit's handlers called in process on the working drawing
// with their answers queued. The browser is not loaded, so each report of the fusion fails at
// once and the figures are the routines' own. CombineZD also reports the share of its fusion,
// timed apart on a second town made alike.
#include <benchmark/benchmark.h>

#include <time.h>

#include <vector>

#include "bench_towns.h"
#include "cadastral/config_tables.h"
#include "cadastral/edge_lengths.h"
#include "cadastral/gap_fusion.h"
#include "cadastral/merge_commands.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"

namespace {

struct Town {
    explicit Town(int parcels) {
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        cadastral::LoadConfigTables();
        acDocManager->appContextNewDocument(nullptr);
        resbuf scale;
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        acedSetVar("USERR1", &scale);
        plan = makedrawing::PlanTown(bench_towns::MergesTown(parcels), bench_towns::kHouseCodesOfOneClass);
        faults = makedrawing::DrawTown(plan);
        acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    }
    ~Town() { acDocManager->closeAll(); }
    makedrawing::TownPlan plan;
    std::vector<makedrawing::DrawnFault> faults;
};

// Seconds on the monotonic clock (<chrono> does not build with the narrow charset the code uses).
double Now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::shared_ptr<platform::ui::AnswerQueue> Answers() {
    static std::shared_ptr<platform::ui::AnswerQueue> queue = platform::ui::UseAnswerQueue();
    return queue;
}

void BM_DrawParcelEdgeLengths(benchmark::State& state) {
    Town town(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        Answers()->Push(platform::ui::PromptAnswer("1"));
        cadastral::drawzdlen();
    }
    platform::cad::ClearCommandLine();
}
BENCHMARK(BM_DrawParcelEdgeLengths)->Name("drawzdlen")->Arg(1000)->Arg(10000)->Arg(100000)
    ->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CombineZD(benchmark::State& state) {
    double fusion = 0.0;
    {
        Town alike(static_cast<int>(state.range(0)));
        AcDbObjectIdArray modified;
        const double start = Now();
        cadastral::FuseBoundaryPointGaps("*polyline,", "300000", modified, 3, 0.1);
        fusion = Now() - start;
        platform::cad::ClearCommandLine();
    }
    Town town(static_cast<int>(state.range(0)));
    const double start = Now();
    for (auto _ : state) {
        Answers()->Push(platform::ui::PromptAnswer("0.1"));
        Answers()->Push(platform::ui::BoxAnswer(IDYES));
        cadastral::CombineZD();
    }
    const double whole = Now() - start;
    state.counters["fusion_s"] = fusion;
    state.counters["fusion_share"] = whole > 0 ? fusion / whole : 0.0;
    platform::cad::ClearCommandLine();
}
BENCHMARK(BM_CombineZD)->Name("CombineZD")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
