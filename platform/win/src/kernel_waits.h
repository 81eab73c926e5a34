// Inside the thread stand-in: one lock and one condition for every thread and event, so that a
// wait on several objects, a suspend and a clock move are seen together.
#pragma once

namespace platform::win::detail {

// Wakes every thread waiting in a wait, a sleep or parked at a safe point to look again.
void WakeKernelWaiters();

// The calling thread's safe point: counts it, parks while suspended, abandons the thread when it
// was terminated.
void ThreadSafePoint();

}  // namespace platform::win::detail
