#include "cadastral/lisp_table.h"

#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"

namespace cadastral {

std::array<LispFunctionEntry, 1>& LispFunctionTable() {
    static std::array<LispFunctionEntry, 1> table = {{{"ssfromnodeswp", SsFromNodesWp, false}}};
    return table;
}

int DefineLispFunctions() {
    auto& table = LispFunctionTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const short code = static_cast<short>(i + 1);
        if (acedDefun(table[i].name, code) != RTNORM)
            return RTERROR;
        if (table[i].registerFunc)
            acedRegFunc(table[i].routine, code);
    }
    return RTNORM;
}

int UndefineLispFunctions() {
    acedUndef("ssfromnodeswp", 1);
    return RTNORM;
}

int InvokeLispFunction() {
    acedRetVoid();
    const int code = acedGetFunCode();
    auto& table = LispFunctionTable();
    if (code < 1 || static_cast<std::size_t>(code) > table.size())
        return RTERROR;
    return table[code - 1].routine() == RTNORM ? RSRSLT : RSERR;
}

// The selection of map patches inside a polygon is not built yet: the function answers nil, as
// for a call it cannot serve, and selects nothing.
int SsFromNodesWp() {
    acutPrintf("\n函数 ssfromnodeswp 尚未实现, 返回 nil.");
    acedRetNil();
    return RTNORM;
}

}  // namespace cadastral
