// The processes of the machine: those its facts file lists as running (machine.h) and those this
// process launched (shell.h). Snapshots, opening and ending them work on that table; no real
// process of the Linux system is ever touched.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr DWORD TH32CS_SNAPPROCESS = 0x00000002;
constexpr DWORD TH32CS_SNAPMODULE = 0x00000008;
constexpr DWORD MAX_MODULE_NAME32 = 255;

constexpr DWORD PROCESS_TERMINATE = 0x0001;
constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;
constexpr DWORD PROCESS_ALL_ACCESS = 0x001FFFFF;

constexpr LONG ERROR_BAD_LENGTH = 24;

struct PROCESSENTRY32W {
    DWORD dwSize;  // set by the caller to sizeof(PROCESSENTRY32W)
    DWORD cntUsage;
    DWORD th32ProcessID;
    std::uintptr_t th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    WCHAR szExeFile[MAX_PATH];  // the program's file name
};
using LPPROCESSENTRY32W = PROCESSENTRY32W*;

struct MODULEENTRY32W {
    DWORD dwSize;  // set by the caller to sizeof(MODULEENTRY32W)
    DWORD th32ModuleID;
    DWORD th32ProcessID;
    DWORD GlblcntUsage;
    DWORD ProccntUsage;
    BYTE* modBaseAddr;
    DWORD modBaseSize;
    HMODULE hModule;
    WCHAR szModule[MAX_MODULE_NAME32 + 1];  // file name
    WCHAR szExePath[MAX_PATH];              // full path
};
using LPMODULEENTRY32W = MODULEENTRY32W*;

// The calling process (a pseudo handle that needs no closing).
HANDLE GetCurrentProcess();

// TH32CS_SNAPPROCESS lists the processes; TH32CS_SNAPMODULE the modules of process id (the
// program first), ERROR_INVALID_PARAMETER for an id that is not running. Closed by CloseHandle.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
// False with ERROR_NO_MORE_FILES after the last entry, ERROR_BAD_LENGTH when dwSize is too small.
BOOL Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry);
BOOL Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry);
BOOL Module32FirstW(HANDLE snapshot, LPMODULEENTRY32W entry);
BOOL Module32NextW(HANDLE snapshot, LPMODULEENTRY32W entry);

// Null with ERROR_INVALID_PARAMETER for an id that is not running.
HANDLE OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId);
// Needs PROCESS_TERMINATE; the process leaves the table and the events file records it.
BOOL TerminateProcess(HANDLE process, UINT exitCode);

constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
constexpr DWORD IDLE_PRIORITY_CLASS = 0x00000040;
constexpr DWORD HIGH_PRIORITY_CLASS = 0x00000080;
constexpr DWORD REALTIME_PRIORITY_CLASS = 0x00000100;
constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x00004000;
constexpr DWORD ABOVE_NORMAL_PRIORITY_CLASS = 0x00008000;

// The calling process (its pseudo handle) or an opened one; an unknown class fails with
// ERROR_INVALID_PARAMETER. The class is accepted; the scheduler is not asked.
BOOL SetPriorityClass(HANDLE process, DWORD priorityClass);

namespace platform::win {

// Adds a running process (launches and tests); returns its id.
DWORD AddRunningProcess(std::u16string_view program, const std::vector<std::u16string>& modules = {});

}  // namespace platform::win
