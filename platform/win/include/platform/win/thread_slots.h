// Thread-local storage slots: one slot number for the process, one value per thread.
#pragma once
#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFF;

// A free slot (every thread's value in it null), or TLS_OUT_OF_INDEXES with ERROR_NO_MORE_ITEMS.
DWORD TlsAlloc();
BOOL TlsFree(DWORD slot);
// Null with ERROR_SUCCESS as the last error for a null value; null with ERROR_INVALID_PARAMETER
// for a slot that is not allocated.
LPVOID TlsGetValue(DWORD slot);
BOOL TlsSetValue(DWORD slot, LPVOID value);
