// Packages are made once per size with gcab in a private folder mapped as drive C: n small files
// in 50 folders of the common files. Every file is already installed, so each one is backed up.
// Two peers are timed beside it: cabextract unpacking the same cabinet, and cp copying the same
// tree over an installed copy, keeping modes and times as the install's copy does.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/win/clock.h"
#include "platform/win/folders.h"
#include "platform/win/root.h"
#include "setup/cabinet/drivers.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/install_state.h"

namespace {

namespace fs = std::filesystem;

const std::string kCommon = [] {
    const std::u8string name = u8"公共文件目录";
    return std::string(name.begin(), name.end());
}();

const std::string& Root() {
    static struct Folder {
        std::string path;
        Folder() {
            std::string pattern = (fs::temp_directory_path() / "dero-install-bench_XXXXXX").string();
            if (mkdtemp(pattern.data())) path = pattern;
            platform::win::SetRoot(path);
            platform::win::UseVirtualClock(true);  // the pause before registering passes at once
            platform::win::SetFreeDiskSpaceOverride(std::uint64_t{1} << 40);
        }
        ~Folder() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

// A tree a run is done with is moved aside, and removed with the bench's folder at the end. Files
// removed by the ten thousand just before a timed run leave their inodes skipped by the file
// system's allocator for a while (ext4 without a journal), which would be timed as the run's own.
void Discard(const std::string& path) {
    static int discarded = 0;
    if (!fs::exists(path)) return;
    fs::create_directories(Root() + "/discarded");
    fs::rename(path, Root() + "/discarded/" + std::to_string(discarded++));
}

// What the setup wrote reaches the disk before the clock starts, as an installed copy has: a copy
// still only in memory has no blocks yet, so overwriting it frees nothing, while its write-back
// lands in the timed run by chance.
void Settle() { sync(); }

void WriteFiles(const std::string& base, long files, char fill) {
    for (long i = 0; i < files; ++i) {
        const fs::path path = fs::path(base) / ("d" + std::to_string(i % 50)) / ("f" + std::to_string(i) + ".txt");
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(200 + i % 1800, fill);
    }
}

// "C:\Setup<n>\data.cab"; false when gcab failed.
bool Package(long files) {
    static std::map<long, bool> made;
    if (auto it = made.find(files); it != made.end()) return it->second;
    const std::string src = Root() + "/src" + std::to_string(files);
    WriteFiles(src + "/" + kCommon, files, 'n');
    const std::string folder = Root() + "/c/Setup" + std::to_string(files);
    fs::create_directories(folder);
    // One gcab call for all names: xargs must not split them (a second call would replace the cabinet).
    bool ok = std::system(("cd " + src + " && find . -type f | sed 's|^./||' | xargs -x -s 1900000 gcab -c -z " + folder +
                           "/data.cab").c_str()) == 0;
    Discard(src);
    Settle();
    std::uint32_t size = 0, second = 0, count = 0;
    const std::string cabinet = folder.substr(Root().size() + 3) + "/data.cab";
    ok = ok && Cabinet::QueryCabinetInfo(u"C:\\" + std::u16string(cabinet.begin(), cabinet.end()), &size, &second, &count, "") &&
         count == static_cast<std::uint32_t>(files);
    return made[files] = ok;
}

std::string CabinetFile(long files) { return Root() + "/c/Setup" + std::to_string(files) + "/data.cab"; }

// The first byte of the installed copy's first file: 'o' for the old copy, 'n' for the package's.
int FirstInstalledByte() {
    std::ifstream first(Root() + "/c/Dero/d0/f0.txt", std::ios::binary);
    return first.get();
}

Setup::CADVer Description(long files) {
    Setup::CADVer d;
    d.installFolder = u"C:\\Dero";
    d.cadFolder = u"C:\\Host";
    d.product = u"Dero Pelgar";
    d.profileName = u"Dero";
    d.fileNum = static_cast<int>(files);
    return d;
}

Setup::InstallEngine Engine(long files) {
    Setup::InstallEngine engine;
    const std::string folder = "C:\\Setup" + std::to_string(files);
    engine.programFolder = std::u16string(folder.begin(), folder.end());
    engine.programPath = engine.programFolder + u"\\data.cab";
    return engine;
}

void BM_InstallOverInstalledCopy(benchmark::State& state) {
    const long files = state.range(0);
    if (!Package(files)) return state.SkipWithError("gcab failed");
    for (auto _ : state) {
        state.PauseTiming();
        Discard(Root() + "/c/Dero");
        Discard(Root() + "/c/Temp");
        WriteFiles(Root() + "/c/Dero", files, 'o');
        Settle();
        state.ResumeTiming();
        Setup::InstallEngine engine = Engine(files);
        engine.RunInstall(Description(files));
        state.PauseTiming();
        if (FirstInstalledByte() != 'n') return state.SkipWithError("the install did not copy");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * files);
}

// The peer of the install in the same run: cabextract unpacking the same package's cabinet.
void BM_CabextractPackage(benchmark::State& state) {
    const long files = state.range(0);
    if (!Package(files)) return state.SkipWithError("gcab failed");
    const std::string command = "cabextract -q -d " + Root() + "/ref " + CabinetFile(files);
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) return state.SkipWithError("cabextract failed");
        state.PauseTiming();
        Discard(Root() + "/ref");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * files);
}

// The other peer: the package's tree, unpacked by cabextract while the clock is stopped, copied
// over an installed copy by cp.
void BM_CopyTreeOverInstalledCopy(benchmark::State& state) {
    const long files = state.range(0);
    if (!Package(files)) return state.SkipWithError("gcab failed");
    const std::string tree = Root() + "/tree" + std::to_string(files);
    if (!fs::exists(tree) &&
        std::system(("cabextract -q -d " + tree + " " + CabinetFile(files)).c_str()) != 0)
        return state.SkipWithError("cabextract failed");
    const std::string command = "cp -R --preserve=mode,timestamps '" + tree + "/" + kCommon + "/.' " + Root() + "/c/Dero";
    for (auto _ : state) {
        state.PauseTiming();
        Discard(Root() + "/c/Dero");
        WriteFiles(Root() + "/c/Dero", files, 'o');
        Settle();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) return state.SkipWithError("cp failed");
        state.PauseTiming();
        if (FirstInstalledByte() != 'n') return state.SkipWithError("cp did not copy");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * files);
}

void BM_RollbackStoppedInstall(benchmark::State& state) {
    const long files = state.range(0);
    if (!Package(files)) return state.SkipWithError("gcab failed");
    for (auto _ : state) {
        state.PauseTiming();
        Discard(Root() + "/c/Dero");
        Discard(Root() + "/c/Temp");
        WriteFiles(Root() + "/c/Dero", files, 'o');
        // A run that copied every file and was stopped before registering.
        Setup::InstallEngine run = Engine(files);
        run.description = Description(files);
        Setup::g_installBackups.Clear();
        Setup::g_currentInstallFolder = u"C:\\Dero";
        Setup::g_installRecoveryFolder = Setup::TempFolderPath(u"insrecovery");
        const std::u16string work = Setup::TempFolderPath(u"derosetup");
        if (!Cabinet::ExtractCabinetFile(run.programFolder + u"\\data.cab", work, nullptr, ""))
            return state.SkipWithError("extraction failed");
        run.CopyFolderTree(work + u"\\公共文件目录", u"C:\\Dero");
        if (Setup::g_installBackups.Entries().size() != static_cast<std::size_t>(files))
            return state.SkipWithError("the stopped run did not copy every file");
        Settle();
        state.ResumeTiming();
        Setup::InstallEngine rollback;
        rollback.RollbackInstall();
        state.PauseTiming();
        if (FirstInstalledByte() != 'o' || Setup::g_installBackups.Entries().size() != 0 || fs::exists(Root() + "/c/Temp/insrecovery"))
            return state.SkipWithError("the rollback left the copy changed");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * files);
}

BENCHMARK(BM_InstallOverInstalledCopy)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CabextractPackage)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_CopyTreeOverInstalledCopy)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_RollbackStoppedInstall)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
