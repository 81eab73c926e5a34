// MAPGISSAVEX on a generated town saved as a drawing on a temporary machine root, with the tables
// of samples/support: the drawing is read into a fresh one, exported, and the host's end recorded.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "bench_towns.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/save_commands.h"
#include "platform/cad/db_database.h"
#include "platform/cad/file_search.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/system_variables.h"
#include "platform/ui/answer_source.h"
#include "platform/win/root.h"

namespace {

struct Machine {
    Machine()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench_table_export_XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            root = pattern;
        const std::filesystem::path support = root / "c" / "support";
        std::filesystem::create_directories(support);
        std::filesystem::create_directories(root / "d" / "in");
        for (const auto& entry : std::filesystem::directory_iterator(DERO_SOURCE_DIR "/samples/support"))
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), support / entry.path().filename());
        platform::win::SetRoot(root.string());
        platform::cad::SetSupportPath({"C:\\support"});
        gisexchange::LoadTemplateData();
        gisexchange::LoadIndexTable();
        gisexchange::LoadExchangeTable();
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

void SetText(const char* name, const std::string& value)
{
    resbuf rb{};
    rb.restype = RTSTR;
    std::string text = value;
    rb.resval.rstring = text.data();
    acedSetVar(name, &rb);
}

// The town as a drawing file, made once per size: D:\in\town<parcels>.dxf.
std::string TownFile(int parcels)
{
    static std::set<int> made;
    const std::string name = "D:\\in\\town" + std::to_string(parcels) + ".dxf";
    if (made.insert(parcels).second)
        bench_towns::SaveExportTown(parcels, name);
    return name;
}

void BM_UnattendedTableExport(benchmark::State& state)
{
    static Machine machine;
    const std::string town = TownFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<AcDbDatabase>();
        db->setUserr1(500);
        acdbHostApplicationServices()->setWorkingDatabase(db.get());
        SetText("USERS5", town);
        SetText("USERS4", "D:\\out\\TOWN.mpj");
        state.ResumeTiming();
        gisexchange::MapGisSaveX();
        state.PauseTiming();
        if (!platform::cad::HostExitRequested())
            state.SkipWithError("the export did not end the host");
        platform::cad::ClearHostExit();
        acdbHostApplicationServices()->setWorkingDatabase(nullptr);
        db.reset();
        state.ResumeTiming();
    }
    state.counters["parcels"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_UnattendedTableExport)->Arg(1000)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
