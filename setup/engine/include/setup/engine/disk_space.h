// Free space of the drive a path lies on.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/win/win_types.h"

namespace Setup {

// Whole megabytes of the drive of path (the text before its first backslash, ":" added when
// missing): available to the caller (plus one), total and free. All three are 0 and the result is
// false when the system call is missing or fails.
bool GetDiskFreeMegabytes(std::u16string_view path, std::uint64_t* available, std::uint64_t* total,
                          std::uint64_t* free);

// The system call is looked up by name in "kernel32.dll" on each query; the lookup can be
// replaced (null: the lookup in "kernel32.dll" again). A lookup that finds nothing gives null.
using GetDiskFreeSpaceExWProc = BOOL (*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
using DiskFreeSpaceLookup = GetDiskFreeSpaceExWProc (*)();
void SetDiskFreeSpaceLookup(DiskFreeSpaceLookup lookup);

}  // namespace Setup
