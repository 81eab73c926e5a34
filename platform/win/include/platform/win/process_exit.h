// Ending the process from a module, as Windows's ExitProcess does. A program that hosts modules
// may take the request over and end in its own time (the CAD host leaves its command loop first).
#pragma once

#include "platform/win/win_types.h"

void ExitProcess(UINT exitCode);

#ifdef DERO_HOST_EXTRAS
namespace platform::win {

using ExitProcessHandler = void (*)(UINT exitCode);
// The handler takes every later ExitProcess, which then returns to its caller; nullptr gives the
// process its own end back.
void SetExitProcessHandler(ExitProcessHandler handler);

}  // namespace platform::win
#endif
