// DELELELASTSAMEPT, RESETPRECISION's run and CONVERTFWZJ_QZ on generated towns (one or two houses
// per parcel with loose notes, 5 in 100 parcels with a doubled corner), the toolkit's code called in
// process on the working drawing. Each command runs once on a fresh town: a second run would find
// its work done.
#include <benchmark/benchmark.h>

#include <memory>

#include "cadastral/config_tables.h"
#include "cadastral/house_annotation_conversion.h"
#include "cadastral/precision_corrector.h"
#include "cadastral/repeated_vertices.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/cad/file_search.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/ui/answer_source.h"

namespace {

// A fresh town as the working drawing for one run of the command.
template <typename Command>
void RunOnTown(benchmark::State& state, Command command)
{
    platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
    cadastral::LoadConfigTables();
    makedrawing::Options options;
    options.parcels = static_cast<int>(state.range(0));
    options.rates.doubledVertices = 0.05;
    const std::vector<std::string> houseCodes = {"141100", "141200", "141300"};
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        makedrawing::DrawTown(makedrawing::PlanTown(options, houseCodes));
        resbuf scale;
        scale.restype = RTREAL;
        scale.resval.rreal = 500;
        acedSetVar("USERR1", &scale);
        state.ResumeTiming();
        command();
        state.PauseTiming();
        platform::cad::ClearCommandLine();
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        db.reset();
        state.ResumeTiming();
    }
}

void BM_DeleteRepeatedVertices(benchmark::State& state)
{
    // Unanswered, the threshold prompt keeps its default.
    RunOnTown(state, [] { cadastral::DELELELASTSAMEPT(); });
}

void BM_ResetPrecision(benchmark::State& state)
{
    RunOnTown(state, [] { cadastral::PrecisionCorrector(3, 2).CorrectDrawingPrecision(); });
}

void BM_ConvertHouseNotes(benchmark::State& state)
{
    RunOnTown(state, [] {
        auto answers = platform::ui::UseAnswerQueue();
        answers->Push(platform::ui::PromptAnswer(""));
        answers->Push(platform::ui::PromptAnswer("0"));
        cadastral::CONVERTFWZJ_QZ();
        platform::ui::SetAnswerDriver(nullptr);
    });
}

BENCHMARK(BM_DeleteRepeatedVertices)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResetPrecision)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertHouseNotes)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
