#include "platform/win/clock.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "kernel_waits.h"

namespace platform::win {
namespace {

std::atomic<bool> g_virtual{false};
std::atomic<std::uint64_t> g_virtualNow{0};

std::mutex& ObserverMutex() {
    static auto* mutex = new std::mutex();
    return *mutex;
}
std::vector<void (*)()>& Observers() {
    static auto* observers = new std::vector<void (*)()>();
    return *observers;
}

void ClockMoved() {
    detail::WakeKernelWaiters();
    std::vector<void (*)()> observers;
    {
        std::lock_guard lock(ObserverMutex());
        observers = Observers();
    }
    for (auto observer : observers) observer();
}

}  // namespace

void UseVirtualClock(bool on) {
    g_virtual = on;
    ClockMoved();
}

bool UsingVirtualClock() { return g_virtual; }

void AdvanceClock(std::uint32_t milliseconds) {
    g_virtualNow += milliseconds;
    ClockMoved();
}

std::uint64_t NowMilliseconds() {
    if (g_virtual) return g_virtualNow;
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

void AddClockObserver(void (*observer)()) {
    std::lock_guard lock(ObserverMutex());
    Observers().push_back(observer);
}

}  // namespace platform::win
