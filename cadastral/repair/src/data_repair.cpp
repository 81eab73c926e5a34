#include "cadastral/data_repair.h"

#include <string>

#include "cadastral/config_tables.h"
#include "cadastral/main_app_services.h"
#include "cadastral/text_strings.h"
#include "cadastral/toolkit_text.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

namespace cadastral {
namespace {

// The line's code names a note (its class in the code table is "ZJ").
bool IsNoteLine(const ads_name line) {
    std::string code, featureClass;
    GetEntityCode(line, code);
    return !code.empty() && FindCodeRecord(code, featureClass) &&
           platform::text::GbkEqualNoCase(featureClass.c_str(), "ZJ");
}

// Replaces the line by a dash text at its midpoint that takes over its data, layer, colour and
// group; the line stays when the text cannot be made whole.
bool ConvertFractionLine(AcDbObjectId lineId, double height) {
    AcDbGroup* group = nullptr;
    ads_name name;
    AcDbObjectId groupId;
    if (acdbGetAdsName(name, lineId) == Acad::eOk && FindEntityGroup(name, groupId) &&
        acdbOpenObject(group, groupId, AcDb::kForWrite) != Acad::eOk)
        group = nullptr;
    AcDbLine* line = nullptr;
    if (acdbOpenObject(line, lineId, AcDb::kForWrite) != Acad::eOk) {
        if (group != nullptr)
            group->close();
        return false;
    }
    drawingutil::Chain data(line->xData());
    const Adesk::UInt16 colour = line->colorIndex();
    const std::string layer = LayerNameOf(line);
    const AcGePoint3d middle((line->startPoint().x + line->endPoint().x) / 2,
                             (line->startPoint().y + line->endPoint().y) / 2, 0);
    const AcDbObjectId textId = CreateText(middle, "—", "m", "", height, 0.0, -1.0);
    if (!textId.isNull() && group != nullptr)
        group->append(textId);
    bool whole = false;
    AcDbEntity* text = nullptr;
    if (!textId.isNull() && acdbOpenObject(text, textId, AcDb::kForWrite) == Acad::eOk) {
        whole = (!data || text->setXData(data.get()) == Acad::eOk) &&
                text->setLayer(layer.c_str()) == Acad::eOk && text->setColorIndex(colour) == Acad::eOk;
        if (!whole)
            text->erase();
        text->close();
    }
    if (whole)
        line->erase();
    line->close();
    if (group != nullptr)
        group->close();
    return whole;
}

}  // namespace

void PurgeData() {
    DeleteEmptyTexts();
    int erased = 0;
    AcDbDictionary* groups = nullptr;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (db != nullptr && db->getGroupDictionary(groups, AcDb::kForRead) == Acad::eOk) {
        AcDbDictionaryIterator* it = groups->newIterator(AcRx::kDictCollated);
        groups->close();
        for (; it != nullptr && !it->done(); it->next()) {
            AcDbGroup* group = nullptr;
            if (acdbOpenObject(group, it->objectId(), AcDb::kForWrite) != Acad::eOk)
                break;
            if (group->numEntities() == 0) {
                group->erase();
                ++erased;
            }
            group->close();
        }
        delete it;
    }
    acutPrintf("\n共删除空编组 %d 个", erased);
}

void FENSHUXIAN() {
    resbuf* filter = acutBuildList(RTDXF0, "LINE", -3, 1001, "MIRET", RTNONE);
    ads_name lines;
    const int status = acedSSGet("X", nullptr, nullptr, filter, lines);
    acutRelRb(filter);
    if (status != RTNORM)
        return;
    Adesk::Int32 length = 0;
    acedSSLength(lines, &length);
    double scale = 1000.0;
    GetDrawingScale(scale);
    const double h = scale * 0.001;
    acedSetStatusBarProgressMeter("正在将分数线由直线改为文字注记...", 0, static_cast<int>(length));
    int converted = 0;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        acedSetStatusBarProgressMeterPos(static_cast<int>(i));
        ads_name line;
        AcDbObjectId id;
        if (acedSSName(lines, i, line) != RTNORM || !IsNoteLine(line) ||
            acdbGetObjectId(id, line) != Acad::eOk)
            continue;
        if (ConvertFractionLine(id, 2 * h))
            ++converted;
    }
    acedRestoreStatusBar();
    acedSSFree(lines);
    acutPrintf("\n成功改正 %d 个 \n请运行 \"自动加注记编码\" 命令,为新加入的文字添加注记编码及编码流水号",
               converted);
}

void SS_EXPORT_SHP() {
    ads_name selection;
    Adesk::Int32 length = 0;
    if (acedSSGet(nullptr, nullptr, nullptr, nullptr, selection) != RTNORM) {
        acutPrintf("\n没有选择实体");
        return;
    }
    if (acedSSLength(selection, &length) != RTNORM || length == 0) {
        acedSSFree(selection);
        acutPrintf("\n没有选择实体");
        return;
    }
    CallExportShp(selection, "C:\\222\\");
    acedSSFree(selection);
}

}  // namespace cadastral
