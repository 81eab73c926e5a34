// The commands of Geoport: six commands in the group "VXK", each registered with the flag word 3
// (transparent, use pick set) under the same global and local name, in the order of the table.
#pragma once

#include <array>
#include <cstddef>

#include "drawingutil/command_table.h"
#include "platform/cad/acad_status.h"
#include "platform/cad/command_stack.h"

namespace gisexchange {

inline constexpr const char* kCommandGroup = "VXK";
inline constexpr int kCommandFlags = ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET;
inline constexpr std::size_t kCommandCount = 6;

// The commands in the order of registration, each with the handler registered for it.
const std::array<drawingutil::CommandEntry, kCommandCount>& CommandTable();

// Adds one command to the host's command stack. With resourceId -1 the local name is the one
// passed, otherwise the string resource of that id among the module's resources (at most 64
// bytes). The stack's status; eNullObjectPointer when the host has no command stack.
Acad::ErrorStatus AddCommand(const char* group, const char* globalName, const char* localName, int flags,
                             AcRxFunctionPtr handler, int resourceId);

// At load: adds the six commands (one the host refuses does not stop the others), then reads the
// configuration; a later change of a configuration file takes effect at the next load.
void LoadConfiguration();

// At unload: removes the group "VXK". The configuration stays in memory.
void RemoveCommandGroups();

}  // namespace gisexchange
