// The shell calls of the start-up, apart from the window and thread headers whose constants the
// shell's header repeats.
#pragma once

#include <string>

#include "platform/win/win_types.h"

namespace Setup::detail {

// Starts a program as the shell's "open" verb does, in its normal window.
void OpenProgram(const std::u16string& program);

struct StartedProcess {
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
};
// Starts the command line suspended, in a normal window; false with the last error set.
bool StartSuspended(std::u16string commandLine, StartedProcess* started);

}  // namespace Setup::detail
