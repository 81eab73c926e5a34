// The commands of the module: 33 commands in the group "DEROPELGAR", each
// registered with the flag word 3 (transparent, use pick set), under the same global and local
// name, in the order of the table.
#pragma once

#include <array>
#include <cstddef>

#include "drawingutil/command_table.h"
#include "platform/cad/acad_status.h"
#include "platform/cad/command_stack.h"

namespace cadastral {

inline constexpr const char* kCommandGroup = "DEROPELGAR";
inline constexpr const char* kOldCommandGroup = "DERO";
inline constexpr int kCommandFlags = ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET;
inline constexpr std::size_t kCommandCount = 33;

// The caption the module gives the host's main frame at load.
inline constexpr const char* kEditionTitle = "Dero 地籍调查 - DeroPelgar";

// The commands in the order of registration, each with the handler registered for it.
const std::array<drawingutil::CommandEntry, kCommandCount>& CommandTable();

// Adds one command to the host's command stack. With resourceId -1 the local name is the one
// passed, otherwise the string resource of that id among the module's resources (at most 64
// bytes). The stack's status; eNullObjectPointer when the host has no command stack.
Acad::ErrorStatus AddCommand(const char* group, const char* globalName, const char* localName, int flags,
                             AcRxFunctionPtr handler, int resourceId);

// At load: adds the 33 commands (a failure to add one does not stop the others), loads the
// configuration tables and the settings, initialises COM for the thread and sets the frame's
// caption.
void RegisterCommands();

// At unload: removes the groups "DEROPELGAR" and "DERO", then ends the thread's use of COM.
void RemoveCommandGroups();

}  // namespace cadastral
