// Facts of the machine a program asks about: its name, the environment, short path forms.
#pragma once

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;
constexpr LONG ERROR_BUFFER_OVERFLOW = 111;
constexpr LONG ERROR_ENVVAR_NOT_FOUND = 203;

// The computer name of the machine facts file. *size is the buffer's size in characters; on
// success it becomes the name's length; for a short buffer the call fails with
// ERROR_BUFFER_OVERFLOW and *size becomes the size needed with the terminating zero.
BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size);

// The process environment (names compare without case). The result is the value's length, or,
// when the buffer is too small, the size it needs with the zero; 0 with ERROR_ENVVAR_NOT_FOUND
// for a missing variable.
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);

// Names are never shortened here: the "short" form of an existing path is the path as given.
// Results as for GetEnvironmentVariableW; a missing file or folder fails as the file calls do.
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size);
DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size);
