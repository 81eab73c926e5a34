// The answer of a plug-in to the host's messages, behind its exported acrxEntryPoint: 1 load,
// 2 unload, 3 a drawing loaded, 4 a drawing unloaded, 5 a LISP call.
#pragma once

#include <span>

#include "drawingutil/lisp_table.h"
#include "platform/cad/rx_dynamic_linker.h"

namespace drawingutil {

struct ModuleEntry {
    void (*onLoad)();    // after the module unlocked itself and said it works with several drawings
    void (*onUnload)();
    std::span<const LispFunctionEntry> (*lispFunctions)();  // defined in every drawing
};

// The whole answer to one message, with the module boundary guarded: nothing thrown reaches the
// host. kRetOK, except kRetError for a LISP call whose routine did not give its result (the caller's
// call fails; a code no entry names calls nothing and is answered kRetOK) and for any message whose
// handling threw (the host then refuses the load or fails the call). Other messages do nothing.
AcRx::AppRetCode AnswerHostMessage(const ModuleEntry& module, AcRx::AppMsgCode msg, void* appId) noexcept;

}  // namespace drawingutil
