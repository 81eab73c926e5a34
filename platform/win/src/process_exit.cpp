#include "platform/win/process_exit.h"

#include <atomic>
#include <cstdlib>

namespace {
std::atomic<platform::win::ExitProcessHandler> g_handler{nullptr};
}  // namespace

void ExitProcess(UINT exitCode) {
    if (const auto handler = g_handler.load()) {
        handler(exitCode);
        return;
    }
    std::exit(static_cast<int>(exitCode));
}

namespace platform::win {

void SetExitProcessHandler(ExitProcessHandler handler) { g_handler = handler; }

}  // namespace platform::win
