// A plug-in's LISP-callable functions: one table, the function code of an entry being its position
// counted from 1. The functions are defined in every drawing; the host tells the module of a call
// with kInvkSubrMsg and InvokeLispFunction runs the entry of the call's code.
#pragma once

#include <span>

namespace drawingutil {

struct LispFunctionEntry {
    const char* name;
    int (*routine)();   // answers RTNORM when it set its result
    bool registerFunc;  // also acedRegFunc: the host calls the routine itself, not through the module
};

// acedDefun (and acedRegFunc where asked) of every entry in order: RTERROR at the first the host
// refuses, RTNORM when all are defined.
int DefineLispFunctions(std::span<const LispFunctionEntry> table);
// acedUndef of every entry; RTNORM.
int UndefineLispFunctions(std::span<const LispFunctionEntry> table);
// Sets the void result, then runs the entry of the call's function code: RSRSLT when its routine
// answered RTNORM, RSERR otherwise, RTERROR for a code that names no entry (or one without a routine).
int InvokeLispFunction(std::span<const LispFunctionEntry> table);

}  // namespace drawingutil
