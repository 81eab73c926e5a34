// The process clock behind Sleep, timed waits, timers and GetTickCount. It runs on the steady
// clock unless a test switches to the virtual clock, which moves only when advanced (a Sleep on
// it advances it instead of sleeping), so timed behaviour is tested at once.
#pragma once

#include <cstdint>

namespace platform::win {

void UseVirtualClock(bool on);
bool UsingVirtualClock();
void AdvanceClock(std::uint32_t milliseconds);
std::uint64_t NowMilliseconds();

// Called (with no lock of ours held) after the virtual clock moved or was switched, so that
// other waiters, such as the window system's timer waits, look at it again.
void AddClockObserver(void (*observer)());

}  // namespace platform::win
