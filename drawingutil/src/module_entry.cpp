#include "drawingutil/module_entry.h"

#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"

namespace drawingutil {
namespace {

std::span<const LispFunctionEntry> LispFunctionsOf(const ModuleEntry& module) {
    if (module.lispFunctions == nullptr)
        return {};
    return module.lispFunctions();
}

AcRx::AppRetCode Answer(const ModuleEntry& module, AcRx::AppMsgCode msg, void* appId) {
    switch (msg) {
        case AcRx::kInitAppMsg:
            if (AcRxDynamicLinker* linker = acrxDynamicLinker) {
                linker->unlockApplication(appId);
                linker->registerAppMDIAware(appId);
            }
            if (module.onLoad != nullptr)
                module.onLoad();
            break;
        case AcRx::kUnloadAppMsg:
            if (module.onUnload != nullptr)
                module.onUnload();
            break;
        case AcRx::kLoadDwgMsg:
            DefineLispFunctions(LispFunctionsOf(module));
            break;
        case AcRx::kUnloadDwgMsg:
            UndefineLispFunctions(LispFunctionsOf(module));
            break;
        case AcRx::kInvkSubrMsg:
            // A routine that failed fails the caller's call; a code no entry names calls nothing.
            return InvokeLispFunction(LispFunctionsOf(module)) == RSERR ? AcRx::kRetError : AcRx::kRetOK;
        default:
            break;
    }
    return AcRx::kRetOK;
}

}  // namespace

AcRx::AppRetCode AnswerHostMessage(const ModuleEntry& module, AcRx::AppMsgCode msg, void* appId) noexcept {
    try {
        return Answer(module, msg, appId);
    } catch (...) {
        try {
            acutPrintf("\n模块处理主机消息 %d 时出现意外错误.", static_cast<int>(msg));
        } catch (...) {
        }
        return AcRx::kRetError;
    }
}

}  // namespace drawingutil
