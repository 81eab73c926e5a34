// The module's answer to the host's messages, behind the exported
// acrxEntryPoint: 1 load, 2 unload, 3 a drawing loaded, 4 a drawing unloaded, 5 a LISP call.
// Every message is answered with 0 (kRetOK), whatever its handler reported; other codes do
// nothing.
#pragma once

#include "platform/cad/rx_dynamic_linker.h"

namespace cadastral {

AcRx::AppRetCode HandleAppMessage(AcRx::AppMsgCode msg, void* appId);

}  // namespace cadastral
