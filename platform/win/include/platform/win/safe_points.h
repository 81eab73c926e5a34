// Safe points: the places where a worker thread may be held or stopped (suspending and terminating
// are cooperative). The stand-ins call SafePoint at each such place; the thread control installs
// the hook that decides what happens there.
#pragma once

namespace platform::win {

using SafePointHook = void (*)();

// Runs the installed hook on the calling thread; nothing when none is installed.
void SafePoint();
// Installs hook for every thread (null removes it); returns the one it replaces.
SafePointHook SetSafePointHook(SafePointHook hook);

}  // namespace platform::win
