// Waiting in product code (flashing an entity, pausing between steps). Under the virtual clock a
// wait moves the clock on instead of sleeping, so tests of timed behaviour run at once.
#pragma once

#include "platform/win/threads.h"

namespace platform::cad {
// Switches the window system's clock and the host's waits together.
void UseVirtualClock(bool on);
bool VirtualClockInUse();
}  // namespace platform::cad
