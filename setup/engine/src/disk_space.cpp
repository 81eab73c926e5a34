#include "setup/engine/disk_space.h"

#include <atomic>
#include <string>

#include "platform/win/folders.h"

namespace Setup {
namespace {

// Until the module loader stands, the system call is bound directly.
GetDiskFreeSpaceExWProc BuiltInLookup() { return &::GetDiskFreeSpaceExW; }

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
