// The work table beside the land-class table, at a county's sizes (22 000 work lines, 34 000 land
// classes): each work line names the classes of its code. Geoport's work table with its codes in
// ascending and in descending order.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cadastral/config_tables.h"
#include "gisexchange/config_tables.h"

namespace {

void BM_ParseWorkLines(benchmark::State& state)
{
    const int works = static_cast<int>(state.range(0));
    const int classes = static_cast<int>(state.range(1));
    std::vector<std::string> classLines;
    for (int i = 0; i < classes; ++i)
        classLines.push_back(std::to_string(100000 + i) + ",地类,Y," + std::to_string(i % 100) + "," +
                             std::to_string(200000 + i % works));
    std::vector<std::string> workLines;
    for (int i = 0; i < works; ++i)
        workLines.push_back(std::to_string(200000 + i) + ",L" + std::to_string(i % 50) + ",1,7,0.00,注记");
    cadastral::ConfigTables base;
    cadastral::ParseLandClassLines(classLines, base);
    for (auto _ : state) {
        state.PauseTiming();
        cadastral::ConfigTables tables = base;
        std::string layer = "JZD";
        state.ResumeTiming();
        cadastral::ParseWorkLines(workLines, tables, layer);
        benchmark::DoNotOptimize(tables.landClasses.data());
    }
}
BENCHMARK(BM_ParseWorkLines)->Args({2200, 3400})->Args({22000, 34000})->Unit(benchmark::kMillisecond);

// range(0) lines, range(1) 1 for codes in descending order; every tenth line repeats the code
// before it.
void BM_GeoportWorkTable(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const bool descending = state.range(1) != 0;
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        const int k = i % 10 == 9 ? i - 1 : i;
        const int code = 1000000 + (descending ? count - k : k);
        lines.push_back(std::to_string(code) + ",L" + std::to_string(i % 50) + ",1,名称,0.5");
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(gisexchange::ParseWork(lines).data());
    state.counters["lines"] = count;
}
BENCHMARK(BM_GeoportWorkTable)->Args({40000, 0})->Args({40000, 1})->Args({200000, 0})->Args({200000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
