#include "cadastral/text_strings.h"

#include "cadastral/entity_selection.h"
#include "cadastral/settings.h"
#include "drawingutil/host_objects.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"

namespace cadastral {

bool GetEntityTextString(const ads_name entity, std::string& text) {
    text.clear();
    const drawingutil::Chain list(acdbEntGet(entity));
    for (const resbuf* item = list.get(); item != nullptr; item = item->rbnext) {
        if (item->restype != 1) continue;
        if (item->resval.rstring != nullptr) text = item->resval.rstring;
        return true;
    }
    return false;
}

int DeleteEmptyTexts() {
    ads_name texts;
    if (!SelectByFilter(texts, "text,", "", false)) return -1;
    Adesk::Int32 length = 0;
    acedSSLength(texts, &length);
    acedSetStatusBarProgressMeter("正在查找并删除空文字注记...", 0, static_cast<int>(length));
    int erased = 0;
    std::string text;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        acedSetStatusBarProgressMeterPos(static_cast<int>(i));
        ads_name entity;
        if (acedSSName(texts, i, entity) != RTNORM) continue;
        // A text whose string cannot be read is left alone: only texts known to be empty go.
        if (!GetEntityTextString(entity, text)) continue;
        TrimSpaces(text);
        if (text.empty() && acdbEntDel(entity) == RTNORM) ++erased;
    }
    acedSSFree(texts);
    acedRestoreStatusBar();
    acutPrintf("\n共删除空文字 %d 个", erased);
    return erased;
}

}  // namespace cadastral
