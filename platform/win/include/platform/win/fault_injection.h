// Lets tests make chosen file and registry operations fail, to exercise failure paths.
#pragma once

#include <string_view>

#include "platform/win/win_types.h"

namespace platform::win {

enum class FaultKind {
    Copy,            // CopyFile (source or destination)
    Delete,          // DeleteFile, RemoveDirectory
    Create,          // CreateDirectory
    Move,            // MoveFile (source or destination)
    Open,            // CreateFile, fopen, _open
    Read,            // ReadFile, fread, fgets, _read
    Write,           // WriteFile, FlushFileBuffers, fwrite, _write
    Close,           // CloseHandle, fclose, _close (the file is closed all the same)
    RegistryOpen,    // RegOpenKeyEx
    RegistryCreate,  // RegCreateKeyEx
    RegistryWrite,   // RegSetValueEx, RegDeleteValue
    RegistryDelete,  // RegDeleteKey
    Load,            // LoadLibrary, GetModuleHandle: the module's name or path as given
    Export,          // GetProcAddress: "module!export", the module as registered or its file name
};

// From now on, an operation of this kind on a path matching the pattern fails with the error.
// Patterns use * and ?, compare without case and are matched against the full Windows form
// ("C:\Temp\a.txt", "HKEY_CURRENT_USER\Software\Quorvane\Dero").
void InjectFault(FaultKind kind, std::u16string_view pattern, DWORD error = ERROR_ACCESS_DENIED);
void ClearFaults();

// Reads faults from the environment variable DERO_FAULTS, so that runs of the real programs can
// fail chosen operations: entries separated by ';' or line feeds, each "Kind=pattern" or
// "Kind=pattern@error" (a decimal Win32 code at the end; ERROR_ACCESS_DENIED when left off, ERROR_MOD_NOT_FOUND
// and ERROR_PROC_NOT_FOUND for Load and Export). Kind is a FaultKind name ("Write", "RegistryOpen",
// "Load"). A malformed entry is reported on the standard error and skipped. Runs once per process,
// on the first fault check; returns the number of faults added.
int LoadFaultsFromEnvironment();

// ERROR_SUCCESS, or the injected error for this operation.
DWORD CheckFault(FaultKind kind, std::u16string_view windowsPath);

// Removes every injected fault when it goes out of scope.
class ScopedFaults {
public:
    ScopedFaults() = default;
    ~ScopedFaults() { ClearFaults(); }
    ScopedFaults(const ScopedFaults&) = delete;
    ScopedFaults& operator=(const ScopedFaults&) = delete;
};

}  // namespace platform::win
