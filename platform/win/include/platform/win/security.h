// Access tokens, privileges and the request to restart the machine.
//
// The token's elevation type comes from the machine facts (machine.h). A restart, shutdown or
// log-off request is recorded in the events file ("restart", "shutdown", "poweroff", "logoff",
// with the flags and the reason) and the program goes on, as it would until Windows ends it.
#pragma once

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
constexpr DWORD TOKEN_QUERY = 0x0008;

enum TOKEN_INFORMATION_CLASS { TokenElevationType = 18, TokenElevation = 20 };
enum TOKEN_ELEVATION_TYPE {
    TokenElevationTypeDefault = 1,
    TokenElevationTypeFull = 2,
    TokenElevationTypeLimited = 3
};
struct TOKEN_ELEVATION {
    DWORD TokenIsElevated;
};

struct LUID {
    DWORD LowPart;
    LONG HighPart;
};
using PLUID = LUID*;
struct LUID_AND_ATTRIBUTES {
    LUID Luid;
    DWORD Attributes;
};
struct TOKEN_PRIVILEGES {
    DWORD PrivilegeCount;
    LUID_AND_ATTRIBUTES Privileges[1];
};
using PTOKEN_PRIVILEGES = TOKEN_PRIVILEGES*;

constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;
inline constexpr const WCHAR* SE_SHUTDOWN_NAME = u"SeShutdownPrivilege";

constexpr UINT EWX_LOGOFF = 0x00000000;
constexpr UINT EWX_SHUTDOWN = 0x00000001;
constexpr UINT EWX_REBOOT = 0x00000002;
constexpr UINT EWX_FORCE = 0x00000004;
constexpr UINT EWX_POWEROFF = 0x00000008;

constexpr LONG ERROR_NOT_ALL_ASSIGNED = 1300;
constexpr LONG ERROR_NO_SUCH_PRIVILEGE = 1313;
constexpr LONG ERROR_PRIVILEGE_NOT_HELD = 1314;

// Closed by CloseHandle.
BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
// TokenElevationType (a DWORD) and TokenElevation; needs TOKEN_QUERY. A short buffer fails with
// ERROR_INSUFFICIENT_BUFFER and *returnLength the size needed.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS infoClass, LPVOID info, DWORD length,
                         LPDWORD returnLength);
// The local system's privileges by name ("SeShutdownPrivilege"); others fail with
// ERROR_NO_SUCH_PRIVILEGE.
BOOL LookupPrivilegeValueW(LPCWSTR systemName, LPCWSTR name, PLUID luid);
// Needs TOKEN_ADJUST_PRIVILEGES. Succeeds with the last error 0: every user holds these privileges.
BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                           PTOKEN_PRIVILEGES previousState, LPDWORD returnLength);
// EWX_REBOOT, EWX_SHUTDOWN, EWX_POWEROFF need the shutdown privilege enabled in this process's
// token first (else ERROR_PRIVILEGE_NOT_HELD), as on Windows.
BOOL ExitWindowsEx(UINT flags, DWORD reason);
