// The exports of the plug-in DeroPelgar.so: the two entry points every module has, and the one
// function through which other programs of the process take the patches "ssfromnodeswp" found.
// Everything else of the module stays hidden.
#include <cstdint>
#include <memory>

#include "cadastral/boundary_numbering.h"
#include "cadastral/module_entry.h"

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg,
                                                                                  void* appId) {
    return drawingutil::AnswerHostMessage(cadastral::ModuleEntry(), msg, appId);
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return ACRX_API_VERSION;
}

// The array of patches that "ssfromnodeswp" answered with the key, handed over once: the caller
// owns it and deletes it. Null for a key the module does not hold (never given, already taken, or
// of a drawing since closed).
extern "C" __attribute__((visibility("default"))) AcDbObjectIdArray* ssfromnodeswpTakePatches(std::int32_t key) {
    return cadastral::TakePatchArray(key).release();
}
