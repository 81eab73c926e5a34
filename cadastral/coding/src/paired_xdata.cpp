#include "cadastral/paired_xdata.h"

#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/xdata_items.h"

namespace cadastral {

void SetXDataPair(const ads_name entity, const char* first, int firstKind, const char* firstValue,
                  const char* second, int secondKind, const char* secondValue) {
    {
        drawingutil::Opened<AcDbObject> object(entity, AcDb::kForWrite);
        drawingutil::Chain chain(acutBuildList(1001, first, 0));
        resbuf* firstItem = chain ? (chain->rbnext = drawingutil::NewItem(firstKind, firstValue)) : nullptr;
        resbuf* secondHead = firstItem != nullptr ? (firstItem->rbnext = acutBuildList(1001, second, 0)) : nullptr;
        if (object && secondHead != nullptr &&
            (secondHead->rbnext = drawingutil::NewItem(secondKind, secondValue)) != nullptr &&
            object->setXData(chain.get()) == Acad::eOk)
            return;
    }
    SetXData(entity, first, firstKind, firstValue);
    SetXData(entity, second, secondKind, secondValue);
}

}  // namespace cadastral
