// The two exports of the plug-in Geoport.so; everything else of the module stays hidden.
#include "gisexchange/module_entry.h"

#include "platform/cad/rx_dictionary.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    return drawingutil::AnswerHostMessage(gisexchange::ModuleEntry(), msg, appId);
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return ACRX_API_VERSION;
}
