// The machine the root stands for: its facts in one text file, what happens on it in another.
//
// "$DERO_ROOT/machine.txt" (UTF-8, one "name = value" a line, '#' starts a comment line; every
// fact has a default when the file or the line is missing):
//
//     computer = DERO-PC                 computer name (default DERO-PC)
//     user = Administrator               user name, for the profile folders (default Administrator)
//     elevation = 3                      token elevation type: 1 default, 2 full, 3 limited (default 1)
//     free C: = 1048576000               bytes free on a drive (default: the real free space)
//     process = C:\CAD\ZWCAD.EXE         a running process; its program is its first module
//     module = C:\CAD\zwcad.dll          a further module of the process named last
//
// "$DERO_ROOT/events.txt" (UTF-8, one event a line, appended): program launches with their
// arguments, fonts added, shell change notifications, processes ended and restart requests, so
// that tests and people can see what a run did to the machine.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/win_types.h"

namespace platform::win {

struct MachineProcess {
    std::u16string program;               // Windows path of the program file
    std::vector<std::u16string> modules;  // further modules, Windows paths
};

struct MachineFacts {
    std::u16string computerName = u"DERO-PC";
    std::u16string userName = u"Administrator";
    DWORD elevationType = 1;
    std::map<char16_t, std::uint64_t> freeSpace;  // by upper-case drive letter
    std::vector<MachineProcess> processes;
};

// The facts of the current root's file, read afresh on every call. A line that cannot be read is
// reported on the standard error and left out.
MachineFacts ReadMachineFacts();
// Writes the facts file (tests and tools set up a machine with it).
bool WriteMachineFacts(const MachineFacts& facts);

// The Linux paths of the two files.
std::string MachineFactsPath();
std::string EventsPath();

// Appends one line to the events file. Line breaks inside the text become blanks.
void RecordEvent(std::u16string_view line);
// The events file's lines; empty when there is none.
std::vector<std::u16string> ReadEvents();

}  // namespace platform::win
