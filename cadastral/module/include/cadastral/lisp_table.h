// The LISP-callable functions of the module: one entry, "ssfromnodeswp" (code 1), defined in every
// drawing with acedDefun and not registered with acedRegFunc; the host tells the module of a call
// with message 5 and the module's dispatch runs it.
#pragma once

#include <span>

#include "drawingutil/lisp_table.h"

namespace cadastral {

std::span<const drawingutil::LispFunctionEntry> LispFunctionTable();

// The routine of "ssfromnodeswp": the map patches inside a polygon.
int SsFromNodesWp();

}  // namespace cadastral
