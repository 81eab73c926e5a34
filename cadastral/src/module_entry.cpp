#include "cadastral/module_entry.h"

#include "cadastral/command_table.h"
#include "cadastral/lisp_table.h"
#include "platform/cad/rx_dictionary.h"

namespace cadastral {

AcRx::AppRetCode HandleAppMessage(AcRx::AppMsgCode msg, void* appId) {
    switch (msg) {
        case AcRx::kInitAppMsg:
            if (AcRxDynamicLinker* linker = acrxDynamicLinker) {
                linker->unlockApplication(appId);
                linker->registerAppMDIAware(appId);
            }
            RegisterCommands();
            break;
        case AcRx::kUnloadAppMsg:
            RemoveCommandGroups();
            break;
        case AcRx::kLoadDwgMsg:
            DefineLispFunctions();
            break;
        case AcRx::kUnloadDwgMsg:
            UndefineLispFunctions();
            break;
        case AcRx::kInvkSubrMsg:
            InvokeLispFunction();
            break;
        default:
            break;
    }
    return AcRx::kRetOK;
}

}  // namespace cadastral
