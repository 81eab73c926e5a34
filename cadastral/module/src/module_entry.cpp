#include "cadastral/module_entry.h"

#include "cadastral/boundary_numbering.h"
#include "cadastral/command_table.h"
#include "cadastral/document_reactor.h"
#include "cadastral/lisp_table.h"

namespace cadastral {
namespace {

void OnLoad() {
    AddPointOrderReactor();
    AddPatchArrayReactor();
    RegisterCommands();
}

void OnUnload() {
    RemovePointOrderReactor();
    RemovePatchArrayReactor();
    RemoveCommandGroups();
}

}  // namespace

const drawingutil::ModuleEntry& ModuleEntry() {
    static constexpr drawingutil::ModuleEntry entry = {OnLoad, OnUnload, LispFunctionTable};
    return entry;
}

}  // namespace cadastral
