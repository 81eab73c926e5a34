#include "cadastral/error_marking.h"

#include "drawingutil/colors.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/layers.h"
#include "platform/cad/ads_entity.h"

namespace cadastral {

void MarkErrorEntity(AcDbObjectId id) {
    // The code is item 0 of the feature data, a string; an item of another kind there is retyped.
    WriteEntityXData(id, "MIRET", kErrorMarkerCode, 0, 0, false, true, false);
    ads_name name;
    if (acdbGetAdsName(name, id) != Acad::eOk) return;
    SetEntityLayer(name, kErrorLayer);
    SetEntityColorIndex(name, kErrorColorIndex);
}

void MarkErrorEntities(const AcDbObjectIdArray& ids) {
    for (int i = 0; i < ids.length(); ++i) MarkErrorEntity(ids[i]);
}

}  // namespace cadastral
