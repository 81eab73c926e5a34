// One key holding n values, imported into a private root and dumped again as regtool does: the
// import parses the text, loads the hive file and sets each value; the dump loads the file anew.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/win/reg_store.h"
#include "platform/win/root.h"

namespace {

namespace fs = std::filesystem;

class Root {
public:
    Root() {
        std::string pattern = (fs::temp_directory_path() / "dero-registry-bench_XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
        platform::win::SetRoot(path_);
    }
    ~Root() {
        platform::win::SetRoot("");
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    Root(const Root&) = delete;
    Root& operator=(const Root&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string ManyValues(long n) {
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Dero\\Many]\n";
    for (long i = 0; i < n; ++i) text += "\"value" + std::to_string(i) + "\"=\"data " + std::to_string(i) + "\"\n";
    return text;
}

void BM_ImportOneKeyWithManyValues(benchmark::State& state) {
    const std::string text = ManyValues(state.range(0));
    for (auto _ : state) {
        Root root;
        std::string error;
        if (!platform::win::ImportRegText(text, &error)) state.SkipWithError(error.c_str());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ImportOneKeyWithManyValues)->Arg(6000)->Arg(60000)->Unit(benchmark::kMillisecond);

void BM_DumpOneKeyWithManyValues(benchmark::State& state) {
    Root root;
    std::string error;
    if (!platform::win::ImportRegText(ManyValues(state.range(0)), &error)) state.SkipWithError(error.c_str());
    for (auto _ : state) {
        platform::win::SetRoot(root.path());  // forgets the loaded hive: the dump loads the file
        benchmark::DoNotOptimize(platform::win::DumpHive(platform::win::Hive::LocalMachine));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DumpOneKeyWithManyValues)->Arg(6000)->Arg(60000)->Unit(benchmark::kMillisecond);

}  // namespace
