// The two exports of the plug-in DeroPelgar.so; everything else of the module stays hidden.
#include "cadastral/module_entry.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    // Nothing may escape into the host; a message that failed half way is answered like any other.
    try {
        return cadastral::HandleAppMessage(msg, appId);
    } catch (...) {
        return AcRx::kRetOK;
    }
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return ACRX_API_VERSION;
}
