#include "cadastral/toolkit_text.h"

#include "cadastral/settings.h"
#include "drawingutil/layers.h"
#include "drawingutil/text_entities.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_group.h"

namespace cadastral {

AcDbObjectId CreateText(const AcGePoint3d& position, const char* text, const char* justification, const char* code,
                        double height, double rotation, double widthFactor) {
    TextOptions options;
    options.centreCode = true;
    options.defaultWidthFactor = Settings().textfactor;
    return ::CreateText(position, text, justification, code, height, nullptr, rotation, widthFactor, nullptr,
                        options);
}

void PlaceText(AcDbObjectId text, const char* layer, AcDbGroup* group) {
    ads_name name;
    if (acdbGetAdsName(name, text) == Acad::eOk)
        SetEntityLayer(name, layer);
    if (group != nullptr)
        group->append(text);
}

}  // namespace cadastral
