// What the module does on the host's messages: at load it adds its document reactor, registers its
// commands and reads its tables and settings, at unload it removes them, and in every drawing it
// defines its LISP function.
#pragma once

#include "drawingutil/module_entry.h"

namespace cadastral {

const drawingutil::ModuleEntry& ModuleEntry();

}  // namespace cadastral
