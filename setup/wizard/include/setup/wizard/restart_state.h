// A machine restart in the middle of an install: "restart.def" beside the program keeps what the
// progress page shows after the restart, and the run-once value "installsetup" starts the
// program again at the next logon.
//
// "restart.def" (written and read by this program only, in the ANSI code page): "重启", then the
// description's fresh-target flag in decimal (its first number after the texts), product,
// install folder, standalone program file and the desktop shortcut path, one a line, without a
// final line feed.
#pragma once

#include <string>

#include "setup/engine/install_records.h"

namespace Setup {

bool RestartPending();
// Writes the file and the run-once value and asks for the restart: 0 when the user declines;
// when the user agrees the restart is requested and the process ends.
int WriteRestartState(const CADVer& description);
// Reads the file into the description (and the shortcut path); an unreadable file changes nothing.
void ReadRestartState(CADVer& description);
void DeleteRestartState();
void SetRunOnceEntry();
// Whether the run-once value holds more than two characters.
bool ReadRunOnceEntry();
void RebootSystem();

// How the process ends once the restart was requested (the C runtime's exit by default).
using ProcessEnd = void (*)(int exitCode);
void SetProcessEnd(ProcessEnd end);

}  // namespace Setup
