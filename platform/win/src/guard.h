// Keeps exceptions (in practice, running out of memory) inside the library: every Win32 entry
// point runs its body through Guard and fails with ERROR_NOT_ENOUGH_MEMORY instead. The entry is
// also a safe point (no lock of ours is held there yet), so Guard is never entered under one.
#pragma once

#include "platform/win/last_error.h"
#include "platform/win/safe_points.h"

namespace platform::win {

template <typename Result, typename Body>
Result Guard(Result failure, Body&& body) noexcept {
    SafePoint();
    try {
        return body();
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return failure;
    }
}

// The registry calls return their error instead of setting the last error.
template <typename Body>
LONG GuardRegistry(Body&& body) noexcept {
    SafePoint();
    try {
        return body();
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace platform::win
