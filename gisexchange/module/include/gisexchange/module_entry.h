// What Geoport does on the host's messages: 1 registers its commands and reads its configuration,
// 2 removes its commands; it defines no LISP function, so the other messages do nothing.
#pragma once

#include "drawingutil/module_entry.h"

namespace gisexchange {

const drawingutil::ModuleEntry& ModuleEntry();

}  // namespace gisexchange
