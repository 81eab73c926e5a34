#include "cadastral/main_app_services.h"

#include "drawingutil/host_objects.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/lisp_functions.h"

namespace cadastral {
namespace {

// Invokes the function with the list and frees both lists; what comes back is never read.
int InvokeAndFree(resbuf* args) {
    drawingutil::Chain call(args);
    if (!call)
        return RTERROR;
    resbuf* result = nullptr;
    int rc = acedInvoke(call.get(), &result);
    drawingutil::Chain answer(result);
    return rc;
}

}  // namespace

int RunExplodeGcd() {
    return acedCommand(RTSTR, "EXPLODEGCD", RTSTR, "all", RTSTR, "", RTNONE);
}

int RunAreaPretreat() {
    return acedCommand(RTSTR, "AREAPRETREAT", RTNONE);
}

int RunFindZeroAreaTb() {
    return acedCommand(RTSTR, "FindZeroAreaTB", RTNONE);
}

int RunRedero(const ads_name blockReference) {
    return acedCommand(RTSTR, "REDERO", RTENAME, blockReference, RTLONG, 1L, RTNONE);
}

int CallExportShp(const ads_name selection, const char* folder) {
    return InvokeAndFree(acutBuildList(RTSTR, "ss_exportshp", RTPICKS, selection, RTSTR,
                                       drawingutil::TextOrEmpty(folder), RTNONE));
}

int CallQwert(const ads_name selection, const char* folder) {
    return InvokeAndFree(acutBuildList(RTSTR, "qwert", RTPICKS, selection, RTSTR,
                                       drawingutil::TextOrEmpty(folder), RTSHORT, 1, RTSTR, "QTD", RTSTR,
                                       "QTX", RTSTR, "QTM", RTSTR, "QTT", RTNONE));
}

}  // namespace cadastral
