// The calling thread's last error code, as the Win32 file calls leave it.
#pragma once

#include "platform/win/win_types.h"

DWORD GetLastError();
void SetLastError(DWORD error);
