// The product's plug-ins that cadhost loads unless told otherwise: those that are built.
#pragma once

#include <string>
#include <vector>

namespace cadhost {

// Paths (UTF-8) of the built plug-ins, the information browser first so that it can receive
// from the others. Looked for beside the program, in the build tree's module folders and in
// DERO_PLUGIN_DIR when set.
std::vector<std::string> DefaultModules();

}  // namespace cadhost
