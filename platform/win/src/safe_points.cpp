#include "platform/win/safe_points.h"

#include <atomic>

#include "kernel_waits.h"

namespace platform::win {
namespace {
std::atomic<SafePointHook> g_hook{nullptr};
}  // namespace

void SafePoint() {
    detail::ThreadSafePoint();
    if (const SafePointHook hook = g_hook.load(std::memory_order_acquire)) hook();
}

SafePointHook SetSafePointHook(SafePointHook hook) { return g_hook.exchange(hook, std::memory_order_acq_rel); }

}  // namespace platform::win
