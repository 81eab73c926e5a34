// Writing and loading MapGIS files: line files of two-point lines and area files.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/gis/bas60.h"
#include "platform/win/root.h"
#include <stdlib.h>

#include <filesystem>

namespace {

// The file is built in memory and saved; each iteration saves it once more.
struct MadeFile {
    short workspace = 0;
    short file = 0;
};

MadeFile MakeFile(short kind, long lines, long areas)
{
    MadeFile made;
    made.workspace = GisNewWorkspace(0);
    const short slot = GisGetFileSlot(made.workspace, kind);
    GisNewFile("C:\\bench", slot, 0, 0, 0);
    made.file = GisGetFileHandle(made.workspace);
    BYTE params[GIS_LINE_PARAM_SIZE] = {1, 0, 0, 0, 2};
    for (long i = 0; i < lines; ++i) {
        const double x = static_cast<double>(i % 1000), y = static_cast<double>(i / 1000);
        const D_DOT points[] = {{x, y}, {x + 1, y}};
        GisWriteLine(made.file, points, 2, params, 2);
    }
    for (long i = 0; i < areas; ++i) {
        const LONG list[] = {1, static_cast<LONG>(i + 1)};
        GisBuildArea(made.file, list, 2, nullptr);
    }
    return made;
}

void Run(benchmark::State& state, short kind, long lines, long areas, bool load)
{
    std::string folder = (std::filesystem::temp_directory_path() / "dero-bench-gis-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    platform::win::SetRoot(folder);
    const MadeFile made = MakeFile(kind, lines, areas);
    const char* path = "C:\\bench.gis";
    GisSaveFile(made.file, path, GIS_SAVE_MODE, 0, 0, 0);
    const short reader = GisNewWorkspace(0);
    const short slot = GisGetFileSlot(reader, kind);
    for (auto _ : state) {
        if (load) {
            if (GisLoadFile(path, slot, 0, 0, 0) <= 0) state.SkipWithError("load failed");
        } else if (GisSaveFile(made.file, path, GIS_SAVE_MODE, 0, 0, 0) <= 0) {
            state.SkipWithError("write failed");
        }
    }
    GisFreeWorkspace(reader);
    GisFreeWorkspace(made.workspace);
    platform::win::SetRoot("");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void BM_WriteLines(benchmark::State& state) { Run(state, GIS_KIND_LINE, state.range(0), 0, false); }
void BM_LoadLines(benchmark::State& state) { Run(state, GIS_KIND_LINE, state.range(0), 0, true); }
// Areas of one ring each, over lines of their own.
void BM_WriteAreas(benchmark::State& state) { Run(state, GIS_KIND_AREA, state.range(0), state.range(0), false); }
void BM_LoadAreas(benchmark::State& state) { Run(state, GIS_KIND_AREA, state.range(0), state.range(0), true); }

BENCHMARK(BM_WriteLines)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLines)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAreas)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAreas)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
