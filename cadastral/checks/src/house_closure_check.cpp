#include "cadastral/house_closure_check.h"

#include <cstdio>
#include <string>

#include "browser_client/browser_client.h"
#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_object.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

bool IsHouseCode(const std::string& code) {
    std::string featureClass;
    if (code.empty() || !FindCodeRecord(code, featureClass)) return false;
    return platform::text::GbkToUpper(featureClass) == "FW";
}

// True only for a curve the host does not flag as closed; anything that cannot be opened as a
// curve is not a finding.
bool IsOpenCurve(const ads_name entity) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk) return false;
    AcDbCurve* curve = nullptr;
    if (acdbOpenObject(curve, id, AcDb::kForRead) != Acad::eOk) return false;
    const bool open = !curve->isClosed();
    curve->close();
    return open;
}

}  // namespace

void CheckFWClosed() {
    // Without codes every outline would pass as "not a house", which reads as an all-clear; the
    // findings of an earlier run stay as they were.
    if (Tables().codes.empty()) {
        acutPrintf("\n%s", kNoCodeTableText);
        return;
    }
    ads_name selection;
    if (!SelectByFilterAndCode(selection, "*polyline,jmd", "")) {
        acutPrintf("\n 当前图上没有房屋");
        return;
    }
    ClearBrowserItem(kHouseClosureTitle);
    Adesk::Int32 length = 0;
    acedSSLength(selection, &length);
    acedSetStatusBarProgressMeter("正在检查房屋有没有闭合...", 0, static_cast<int>(length));
    int counter = 1;
    std::string code;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        acedSetStatusBarProgressMeterPos(static_cast<int>(i));
        ads_name entity;
        if (acedSSName(selection, i, entity) != RTNORM) continue;
        GetEntityCode(entity, code);
        if (!IsHouseCode(code) || !IsOpenCurve(entity)) continue;
        AcDbObjectId id;
        acdbGetObjectId(id, entity);
        char text[64];
        std::snprintf(text, sizeof text, "%d %s", counter, kHouseNotClosedText);
        ReportEntityIdToBrowser(kHouseClosureTitle, text, id);
        ++counter;
    }
    acedSSFree(selection);
    acedRestoreStatusBar();
    ShowBrowser();
    acutPrintf("\n共检查出 %d 个房屋没有闭合", counter - 1);
}

}  // namespace cadastral
