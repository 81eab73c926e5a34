// The two exports of the plug-in DeroPelgar.so; everything else of the module stays hidden.
#include "cadastral/module_entry.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    return drawingutil::AnswerHostMessage(cadastral::ModuleEntry(), msg, appId);
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return ACRX_API_VERSION;
}
