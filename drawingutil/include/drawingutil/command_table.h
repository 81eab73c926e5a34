// A plug-in's commands: added to the host's command stack at load, removed by group at unload.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "platform/cad/acad_status.h"
#include "platform/cad/command_stack.h"
#include "platform/ui/window_types.h"

namespace drawingutil {

struct CommandEntry {
    const char* group;
    const char* name;  // global and local name
    int flags;
    AcRxFunctionPtr handler;
};

// A command's name and handler, as a plug-in lists them in the order of registration.
struct NamedHandler {
    const char* name;
    AcRxFunctionPtr handler;
};

// The entries of a plug-in's commands, all in one group with the same flags.
template <std::size_t N>
constexpr std::array<CommandEntry, N> MakeCommandEntries(const char* group, int flags,
                                                         const std::array<NamedHandler, N>& commands) {
    std::array<CommandEntry, N> table{};
    for (std::size_t i = 0; i < N; ++i)
        table[i] = {group, commands[i].name, flags, commands[i].handler};
    return table;
}

// Adds one command. With resourceId -1 the local name is the one passed (null or empty: the global
// name), otherwise the string resource of that id in resources, cut to 64 bytes on a character
// boundary. The stack's status; eNullObjectPointer when the host has no command stack.
Acad::ErrorStatus AddCommand(const char* group, const char* globalName, const char* localName, int flags,
                             AcRxFunctionPtr handler, HINSTANCE resources = nullptr, int resourceId = -1);

// Adds every entry in order; one the host refuses does not stop the others. How many were added.
std::size_t AddCommands(std::span<const CommandEntry> entries);

// Removes whole groups (null names are skipped); nothing without a command stack.
void RemoveCommandGroups(std::span<const char* const> groups);

// Says on the command line that a command stopped on an unexpected error.
void ReportCommandFailure() noexcept;

// A command handler the host may call: nothing the handler throws reaches the host, which would
// not survive it; the command stops with a line saying so.
template <AcRxFunctionPtr Handler>
void GuardedCommand() noexcept {
    try {
        Handler();
    } catch (...) {
        ReportCommandFailure();
    }
}

}  // namespace drawingutil
