// The LISP-callable functions of the module: one table, the function code of
// an entry being its position counted from 1. The module has one entry, "ssfromnodeswp" (code 1),
// defined in every drawing with acedDefun and not registered with acedRegFunc; the host tells the
// module of a call with message 5 and InvokeLispFunction dispatches it.
#pragma once

#include <array>

namespace cadastral {

struct LispFunctionEntry {
    const char* name;
    int (*routine)();   // answers RTNORM (5100) when it set its result
    bool registerFunc;  // also acedRegFunc
};

// Mutable so that a test can give an entry another routine.
std::array<LispFunctionEntry, 1>& LispFunctionTable();

// acedDefun of every entry in order; RTERROR (-5001) at the first failure, RTNORM when all are
// defined.
int DefineLispFunctions();
// acedUndef("ssfromnodeswp", 1); RTNORM.
int UndefineLispFunctions();
// Sets the void result, then runs the entry of the call's function code: RSRSLT (1) when its
// routine answered RTNORM, RSERR (3) otherwise, RTERROR (-5001) for a code that names no entry.
int InvokeLispFunction();

// The routine of "ssfromnodeswp": the map patches inside a polygon.
int SsFromNodesWp();

}  // namespace cadastral
