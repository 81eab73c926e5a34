#include "setup/engine/disk_space.h"

#include <atomic>
#include <string>

#include "platform/win/modules.h"

namespace Setup {
namespace {

// The call is looked up rather than imported, so that the program also starts on systems
// without it. kernel32 is never unloaded, so its export stays valid after the module is freed.
GetDiskFreeSpaceExWProc BuiltInLookup() {
    const HMODULE kernel = LoadLibraryW(u"kernel32.dll");
    if (!kernel) return nullptr;
    const auto query = reinterpret_cast<GetDiskFreeSpaceExWProc>(GetProcAddress(kernel, "GetDiskFreeSpaceExW"));
    FreeLibrary(kernel);
    return query;
}

std::atomic<DiskFreeSpaceLookup> g_lookup{&BuiltInLookup};

}  // namespace

void SetDiskFreeSpaceLookup(DiskFreeSpaceLookup lookup) { g_lookup.store(lookup ? lookup : &BuiltInLookup); }

bool GetDiskFreeMegabytes(std::u16string_view path, std::uint64_t* available, std::uint64_t* total,
                          std::uint64_t* free) {
    *available = *total = *free = 0;
    std::u16string drive(path.substr(0, path.find(u'\\')));
    if (drive.empty() || drive.back() != u':') drive += u':';

    const GetDiskFreeSpaceExWProc query = g_lookup.load()();
    if (!query) return false;
    ULARGE_INTEGER toCaller{}, size{}, totalFree{};
    if (!query(drive.c_str(), &toCaller, &size, &totalFree)) return false;
    constexpr std::uint64_t kMegabyte = 1048576;
    *available = toCaller.QuadPart / kMegabyte + 1;
    *total = size.QuadPart / kMegabyte;
    *free = totalFree.QuadPart / kMegabyte;
    return true;
}

}  // namespace Setup
