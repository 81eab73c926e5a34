// Seams of the window system for tests, drivers and the other stand-ins.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui/window_types.h"

namespace platform::ui {

// Called by a thread before it blocks in a cross-thread SendMessage or shows a message box: the
// points where a cooperatively suspended or terminated worker may stop. Null removes the hook.
void SetSafePointHook(void (*hook)());

// Timers and GetTickCount run on the steady clock unless a test switches to the virtual clock,
// which moves only when AdvanceClock is called.
void UseVirtualClock(bool on);
bool UsingVirtualClock();
void AdvanceClock(std::uint32_t milliseconds);
std::uint64_t NowMilliseconds();

// The key state GetKeyState reports; drivers hold Ctrl or Shift down around a key press.
void SetKeyDown(UINT virtualKey, bool down);

// Called after a window received WM_NCDESTROY and left the table (the framework uses it to drop
// its wrapper objects). Null removes the observer.
void SetWindowDestroyObserver(void (*observer)(HWND));

// Fault injection: the next count creations of windows of this class (any class for "*") fail
// as if the system had refused them. A count of 0 removes the failure.
void FailWindowCreation(const std::string& className, int count);

// Number of live windows, for tests that check nothing was left behind.
int LiveWindowCount();

}  // namespace platform::ui
