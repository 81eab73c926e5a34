#include "drawingutil/lisp_table.h"

#include "platform/cad/lisp_functions.h"

namespace drawingutil {

int DefineLispFunctions(std::span<const LispFunctionEntry> table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        const short code = static_cast<short>(i + 1);
        if (table[i].name == nullptr || acedDefun(table[i].name, code) != RTNORM)
            return RTERROR;
        if (table[i].registerFunc && (table[i].routine == nullptr || acedRegFunc(table[i].routine, code) != RTNORM))
            return RTERROR;
    }
    return RTNORM;
}

int UndefineLispFunctions(std::span<const LispFunctionEntry> table) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].name != nullptr)
            acedUndef(table[i].name, static_cast<short>(i + 1));
    return RTNORM;
}

int InvokeLispFunction(std::span<const LispFunctionEntry> table) {
    acedRetVoid();
    const int code = acedGetFunCode();
    if (code < 1 || static_cast<std::size_t>(code) > table.size() || table[code - 1].routine == nullptr)
        return RTERROR;
    return table[code - 1].routine() == RTNORM ? RSRSLT : RSERR;
}

}  // namespace drawingutil
