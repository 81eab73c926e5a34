#include "cadastral/lisp_table.h"

#include <array>
#include <cstring>
#include <memory>

#include "cadastral/boundary_numbering.h"

#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"

namespace cadastral {
namespace {

constexpr std::array<drawingutil::LispFunctionEntry, 1> kLispFunctions = {{{"ssfromnodeswp", SsFromNodesWp, false}}};

}  // namespace

std::span<const drawingutil::LispFunctionEntry> LispFunctionTable() {
    return kLispFunctions;
}

// The tag that tells the module's own callers from anyone else.
constexpr const char* kPatchTag = "VantoCQRMP";

// Answers the key of the array of patches inside the polygon; nil for a wrong tag, a missing or
// open polygon, or a failed selection.
int SsFromNodesWp() {
    resbuf* args = acedGetArgs();
    const resbuf* polygon = args != nullptr ? args->rbnext : nullptr;
    AcDbObjectIdArray patches;
    if (args == nullptr || args->restype != RTSTR || args->resval.rstring == nullptr ||
        std::strcmp(args->resval.rstring, kPatchTag) != 0 || polygon == nullptr || polygon->restype != RTENAME ||
        !SelectPatchesInPolygon(polygon->resval.rlname, patches)) {
        acedRetNil();
        return RTNORM;
    }
    acedRetLong(KeepPatchArray(std::make_unique<AcDbObjectIdArray>(std::move(patches))));
    return RTNORM;
}

}  // namespace cadastral
