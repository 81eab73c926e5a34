// Text helpers run on every attribute value and table line; these keep their cost visible.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/text/encoding.h"
#include "platform/text/gbk.h"

namespace {

std::string SampleLine(std::size_t repeats) {
    std::string line;
    for (std::size_t i = 0; i < repeats; ++i) line += "321000,宗地,JZD,房屋闭合检查,";
    return line;
}

void BM_TruncateGbk(benchmark::State& state) {
    const std::string line = SampleLine(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(platform::text::TruncateGbk(line, line.size() / 2 + 1));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}
BENCHMARK(BM_TruncateGbk)->Arg(1)->Arg(64);

void BM_GbkToUtf8(benchmark::State& state) {
    const std::string line = SampleLine(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(platform::text::GbkToUtf8(line));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}
BENCHMARK(BM_GbkToUtf8)->Arg(1)->Arg(64);

}  // namespace
