#include "cadastral/module_entry.h"

#include "cadastral/command_table.h"
#include "cadastral/lisp_table.h"

namespace cadastral {

const drawingutil::ModuleEntry& ModuleEntry() {
    static constexpr drawingutil::ModuleEntry entry = {RegisterCommands, RemoveCommandGroups, LispFunctionTable};
    return entry;
}

}  // namespace cadastral
