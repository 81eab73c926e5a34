#include "gisexchange/module_entry.h"

#include "platform/cad/rx_dictionary.h"

#include "gisexchange/command_table.h"

namespace gisexchange {
namespace {

std::span<const drawingutil::LispFunctionEntry> NoLispFunctions() {
    return {};
}

}  // namespace

const drawingutil::ModuleEntry& ModuleEntry() {
    static constexpr drawingutil::ModuleEntry entry = {LoadConfiguration, RemoveCommandGroups,
                                                       NoLispFunctions};
    return entry;
}

}  // namespace gisexchange
