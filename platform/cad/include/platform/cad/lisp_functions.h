// LISP functions of the modules: defined per drawing with a function code, invoked by name with
// acedInvoke. The host tells the defining module through message 5 (or calls the routine given
// with acedRegFunc); inside, the module reads the call with acedGetFunCode and acedGetArgs and
// sets the value with acedRetXxx.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/resbuf.h"

// Results of a module's function routine.
constexpr int RSRSLT = 1;
constexpr int RSERR = 3;

// Defines the function in the current drawing for the running module. RTERROR for an empty name
// or a negative code; a second definition of the name replaces the first.
int acedDefun(const char* pszName, short nFuncNum);
// Removes the definition when it has that code. RTNORM, or RTERROR when there is none.
int acedUndef(const char* pszName, short nFuncNum);
// The routine the host calls directly for the running module's function code.
int acedRegFunc(int (*fhdl)(), int fcode);
// The code of the function being invoked, RTERROR outside an invocation.
int acedGetFunCode();
// The arguments of the invocation (owned by the host; the module must not free them), or null.
resbuf* acedGetArgs();

int acedRetVoid();
int acedRetNil();
int acedRetT();
int acedRetLong(long value);
int acedRetInt(int value);
int acedRetReal(ads_real value);
int acedRetStr(const char* value);
int acedRetPoint(const ads_point value);
int acedRetName(const ads_name value, int type);
// A copy of the list becomes the value.
int acedRetList(const resbuf* rbuf);

// Invokes the function named by the list's first item (a string) with the rest as arguments.
// RTNORM with the value in *result (the caller frees it); RTERROR, quietly, when the current
// drawing has no such function or the function failed.
int acedInvoke(const resbuf* args, resbuf** result);

namespace platform::cad {
// Names (as defined) of the functions of the current drawing, sorted without regard to case.
std::vector<std::string> DefinedFunctions();
// Drops the definitions of a drawing that closes.
void ForgetDrawingFunctions(const void* database);
}  // namespace platform::cad
