// Cabinets are made once per size with gcab (MSZIP) in a private folder mapped as drive C.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/win/root.h"
#include "setup/cabinet/extract.h"

namespace {

namespace fs = std::filesystem;

const std::string& Root() {
    // Left behind on purpose only when the program is killed; removed at exit.
    static struct Folder {
        std::string path;
        Folder() {
            std::string pattern = (fs::temp_directory_path() / "dero-cab-bench_XXXXXX").string();
            if (mkdtemp(pattern.data())) path = pattern;
            platform::win::SetRoot(path);
            fs::create_directories(path + "/c/cabs");
        }
        ~Folder() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

// A tree a run is done with is moved aside, and removed with the bench's folder at the end: files
// removed by the ten thousand just before a timed run leave their inodes skipped by the file
// system's allocator for a while (ext4 without a journal), which would be timed as the run's own.
void Discard(const std::string& path) {
    static int discarded = 0;
    if (!fs::exists(path)) return;
    fs::create_directories(Root() + "/discarded");
    fs::rename(path, Root() + "/discarded/" + std::to_string(discarded++));
}

// "small<n>.cab": n files of 200 to 2 000 bytes in 50 folders; "large.cab": one file of 200 MB.
std::string Cabinet(long files) {
    static std::map<long, std::string> made;
    if (auto it = made.find(files); it != made.end()) return it->second;
    const std::string src = Root() + "/src" + std::to_string(files);
    const std::string name = files == 1 ? "large.cab" : "small" + std::to_string(files) + ".cab";
    unsigned state = 7;
    const auto next = [&state] { return state = state * 1103515245u + 12345u; };
    for (long i = 0; i < files; ++i) {
        const fs::path path = files == 1 ? fs::path(src) / "large.bin"
                                         : fs::path(src) / ("d" + std::to_string(i % 50)) / ("f" + std::to_string(i) + ".txt");
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        const std::size_t size = files == 1 ? 200u << 20 : 200 + next() % 1800;
        std::string chunk(1 << 16, ' ');
        for (std::size_t done = 0; done < size; done += chunk.size()) {
            for (char& c : chunk) c = static_cast<char>("abcdefgh 0123\n"[(next() >> 16) % 14]);
            out.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), size - done)));
        }
    }
    const std::string cab = Root() + "/c/cabs/" + name;
    // One gcab call for all names: xargs must not split them (a second call would replace the cabinet).
    if (std::system(("cd " + src + " && find . -type f | sed 's|^./||' | xargs -x -s 1900000 gcab -c -z " + cab).c_str()) != 0)
        return made[files] = "";
    Discard(src);
    return made[files] = name;
}

void BM_ExtractCabinet(benchmark::State& state) {
    const std::string name = Cabinet(state.range(0));
    if (name.empty()) return state.SkipWithError("gcab failed");
    const std::u16string path = u"C:\\cabs\\" + std::u16string(name.begin(), name.end());
    for (auto _ : state) {
        Cabinet::CExtract extract;
        if (!extract.OpenFdiContext() || !extract.ExtractCabinet(path, u"C:\\out", nullptr))
            return state.SkipWithError("extraction failed");
        state.PauseTiming();
        Discard(Root() + "/c/out");
        state.ResumeTiming();
    }
}

void BM_Cabextract(benchmark::State& state) {
    const std::string name = Cabinet(state.range(0));
    if (name.empty()) return state.SkipWithError("gcab failed");
    const std::string command = "cabextract -q -d " + Root() + "/ref " + Root() + "/c/cabs/" + name;
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) return state.SkipWithError("cabextract failed");
        state.PauseTiming();
        Discard(Root() + "/ref");
        state.ResumeTiming();
    }
}

// 1 stands for the one large file.
BENCHMARK(BM_ExtractCabinet)->Arg(1000)->Arg(10000)->Arg(50000)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Cabextract)->Arg(1000)->Arg(10000)->Arg(50000)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
