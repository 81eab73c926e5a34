// Where things are on the mapped machine: the temporary and Windows folders, the running
// program's file name and the free space of a drive.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/win/last_error.h"
#include "platform/win/modules.h"  // GetModuleHandleW
#include "platform/win/win_types.h"

// "C:\Temp\" (created when missing). The result is the length without the terminating zero, or,
// when the buffer is too small, the size it needs with the zero.
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
// "C:\Windows" (created when missing); results as for GetTempPath.
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);

// The file of the module holding the address module (null: the program), in Windows form. A
// short buffer gets the name cut and terminated, the result size and ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

BOOL GetDiskFreeSpaceExW(LPCWSTR folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree);
BOOL GetDiskFreeSpaceExA(LPCSTR folder, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                         PULARGE_INTEGER totalFree);

namespace platform::win {

// The module handle for any address inside a loaded module (code or data).
HMODULE ModuleFromAddress(const void* address);

// Makes every drive report this many free bytes (tests of the low-space paths); nullopt ends it.
void SetFreeDiskSpaceOverride(std::optional<std::uint64_t> bytes);

}  // namespace platform::win
