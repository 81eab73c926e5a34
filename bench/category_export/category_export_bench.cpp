// The whole export by category of a generated town into its ten files and project, on a temporary
// machine root, with the templates of samples/support.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <map>
#include <memory>

#include "gisexchange/category_export.h"
#include "gisexchange/config_tables.h"
#include "makedrawing/category_features.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"
#include "platform/cad/db_database.h"
#include "platform/cad/file_search.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"

namespace {

// The machine of the run: a root with the templates on the search path.
struct Machine {
    Machine()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench_category_export_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            root = pattern;
        const std::filesystem::path support = root / "c" / "support";
        std::filesystem::create_directories(support);
        std::filesystem::create_directories(root / "d" / "out");
        for (const auto& entry : std::filesystem::directory_iterator(DERO_SOURCE_DIR "/samples/support"))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), support / entry.path().filename());
        platform::win::SetRoot(root.string());
        platform::cad::SetSupportPath({"C:\\support"});
        gisexchange::LoadTemplateData();
        answers = platform::ui::UseAnswerQueue();
    }
    ~Machine()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    std::filesystem::path root;
    std::shared_ptr<platform::ui::AnswerQueue> answers;
};

AcDbDatabase* TownOf(int parcels)
{
    static std::map<int, std::unique_ptr<AcDbDatabase>> towns;
    auto& db = towns[parcels];
    if (!db) {
        db = std::make_unique<AcDbDatabase>();
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        makedrawing::Options options;
        options.parcels = parcels;
        const makedrawing::TownPlan plan = makedrawing::PlanTown(options, {"141100", "141200", "141300"});
        makedrawing::DrawTown(plan);
        makedrawing::DrawCategoryFeatures(plan, options.seed);
    }
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    return db.get();
}

void BM_ExportByCategory(benchmark::State& state)
{
    static Machine machine;
    TownOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        machine.answers->Push(platform::ui::FolderAnswer("D:\\out"));
        machine.answers->Push(platform::ui::PromptAnswer("TOWN"));
        gisexchange::ExportByCategory();
    }
    state.counters["parcels"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ExportByCategory)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
