// Modules loaded by name: the system's own modules and component libraries.
//
// A system module ("kernel32.dll", "Cabinet.dll", "UxTheme.dll", ...) is a table of exports that
// the library providing those calls registers under the module's name; names compare without case
// and ".dll" may be left off. Any other name is a path on the mapped root and is loaded with the
// dynamic loader, so a component's exported functions (DllRegisterServer) really run.
//
// A module or a single export can be hidden for tests and runs of the real programs through the
// fault table: FaultKind::Load with the module's name ("Cabinet.dll"), FaultKind::Export with
// "module!export" ("kernel32.dll!GetDiskFreeSpaceExW").
#pragma once

#include <string_view>
#include <vector>

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

// A function of no particular type: callers cast it to the export's real type (the compiler
// accepts that cast from a function taking and returning nothing).
using FARPROC = void (*)();

constexpr LONG ERROR_PROC_NOT_FOUND = 127;

// Null with ERROR_MOD_NOT_FOUND for a hidden or unknown system module and for a library that
// cannot be found or loaded. Each successful load counts; FreeLibrary undoes one.
HMODULE LoadLibraryW(LPCWSTR name);
HMODULE LoadLibraryA(LPCSTR name);
BOOL FreeLibrary(HMODULE module);
// Null: the program. A system module or a library this process loaded: its handle, without
// counting a load. Anything else: null with ERROR_MOD_NOT_FOUND.
HMODULE GetModuleHandleW(LPCWSTR name);
// Null with ERROR_PROC_NOT_FOUND for a missing or hidden export.
FARPROC GetProcAddress(HMODULE module, LPCSTR exportName);

namespace platform::win {

struct ModuleExport {
    const char* name;
    FARPROC address;
};

// Registers (or replaces) the exports of a system module. The module name is a bare file name
// such as "Cabinet.dll".
void RegisterSystemModule(std::u16string_view name, const std::vector<ModuleExport>& exports);

// Casts a function to the type GetProcAddress hands out, for export tables.
template <typename Function>
FARPROC ExportOf(Function* function) {
    return reinterpret_cast<FARPROC>(function);
}

}  // namespace platform::win
