#include "drawingutil/feature_codes.h"

#include "platform/cad/ads_entity.h"

#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

resbuf* GetCodeXData(const ads_name entity)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return nullptr;
    Opened<AcDbObject> object(id, AcDb::kForRead);
    return object ? object->xData(kFeatureCodeApp) : nullptr;
}

void GetEntityCode(const ads_name entity, std::string& code)
{
    code.clear();
    Chain chain(GetCodeXData(entity));
    if (!chain)
        return;
    for (const resbuf* item = chain->rbnext; item != nullptr; item = item->rbnext) {
        if (item->restype == 1000) {
            code = TextOrEmpty(item->resval.rstring);
            return;
        }
    }
}

void SetEntityCode(const ads_name entity, const char* code)
{
    // Through the definition list first, as the host's own editing does; a drawing that has not
    // registered the application yet refuses that, and the direct route registers it.
    if (entity != nullptr) {
        Chain list(acdbEntGet(entity));
        if (list) {
            resbuf* last = list.get();
            while (last->rbnext != nullptr)
                last = last->rbnext;
            last->rbnext = acutBuildList(-3, 1001, kFeatureCodeApp, 1000, TextOrEmpty(code), 0);
            if (last->rbnext != nullptr && acdbEntMod(list.get()) == RTNORM)
                return;
        }
    }
    SetXData(entity, kFeatureCodeApp, kXDataString, code);
}
