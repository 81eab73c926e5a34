#include "cadastral/lisp_table.h"

#include <array>

#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"

namespace cadastral {
namespace {

constexpr std::array<drawingutil::LispFunctionEntry, 1> kLispFunctions = {{{"ssfromnodeswp", SsFromNodesWp, false}}};

}  // namespace

std::span<const drawingutil::LispFunctionEntry> LispFunctionTable() {
    return kLispFunctions;
}

// The selection of map patches inside a polygon is not built yet: the function answers nil, as
// for a call it cannot serve, and selects nothing.
int SsFromNodesWp() {
    acutPrintf("\n函数 ssfromnodeswp 尚未实现, 返回 nil.");
    acedRetNil();
    return RTNORM;
}

}  // namespace cadastral
