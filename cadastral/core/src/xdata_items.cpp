#include "cadastral/xdata_items.h"

#include "cadastral/attribute_data.h"
#include "cadastral/entity_selection.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_object.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

bool Write(const ads_name entity, const char* application, const resbuf& value, bool append, int n) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk || id.isNull()) {
        acutPrintf("\n无增加扩展数据的实体!");
        return false;
    }
    return StoreEntityXDataItem(id, application, value, append, n, true);
}

bool WriteText(const ads_name entity, const char* application, const char* value, bool append, int n) {
    resbuf rb{};
    rb.restype = RTSTR;
    rb.resval.rstring = const_cast<char*>(value != nullptr ? value : "");
    return Write(entity, application, rb, append, n);
}

}  // namespace

bool ReadXDataItem(const ads_name entity, const char* application, XDataItemValue& value, int n) {
    AcDbObjectId id;
    if (acdbGetObjectId(id, entity) != Acad::eOk || id.isNull()) {
        acutPrintf("\n无增加扩展数据的实体!");
        return false;
    }
    drawingutil::Chain data;
    {
        drawingutil::Opened<AcDbObject> object(id, AcDb::kForRead);
        if (!object)
            return false;
        data.reset(object->xData(application));
    }
    if (!data)
        return false;
    const resbuf* item = data->rbnext;
    for (int i = 0; item != nullptr && item->rbnext != nullptr && i < n; ++i)
        item = item->rbnext;
    if (item == nullptr)
        return true;
    value.group = item->restype;
    switch (item->restype) {
        case 1000:
            value.text = item->resval.rstring != nullptr ? item->resval.rstring : "";
            break;
        case 1040:
            value.real = item->resval.rreal;
            break;
        case 1070:
            value.integer = item->resval.rint;
            break;
        case 1071:
            value.integer = static_cast<std::int32_t>(item->resval.rlong);
            break;
        default:
            break;
    }
    return true;
}

bool WriteXDataItem(const ads_name entity, const char* application, std::int16_t value, bool append, int n) {
    resbuf rb{};
    rb.restype = RTSHORT;
    rb.resval.rint = value;
    return Write(entity, application, rb, append, n);
}

bool WriteXDataItem(const ads_name entity, const char* application, std::int32_t value, bool append, int n) {
    resbuf rb{};
    rb.restype = RTLONG;
    rb.resval.rlong = value;
    return Write(entity, application, rb, append, n);
}

bool WriteXDataItem(const ads_name entity, const char* application, long value, bool append, int n) {
    return WriteXDataItem(entity, application, static_cast<std::int32_t>(value), append, n);
}

bool WriteXDataItem(const ads_name entity, const char* application, float value, bool append, int n) {
    return WriteXDataItem(entity, application, static_cast<double>(value), append, n);
}

bool WriteXDataItem(const ads_name entity, const char* application, double value, bool append, int n) {
    resbuf rb{};
    rb.restype = RTREAL;
    rb.resval.rreal = value;
    return Write(entity, application, rb, append, n);
}

bool WriteXDataItem(const ads_name entity, const char* application, const char* value, bool append, int n) {
    return WriteText(entity, application, value, append, n);
}

bool WriteXDataItem(const ads_name entity, const char* application, const std::string& value, bool append,
                    int n) {
    return WriteText(entity, application, value.c_str(), append, n);
}

bool RefuseXDataType() {
    acutPrintf("\n不识别的数据类型!");
    return false;
}

void AddZJLX() {
    ads_name texts;
    if (!SelectByFilter(texts, "text,", "", false))
        return;
    Adesk::Int32 length = 0;
    acedSSLength(texts, &length);
    std::string code;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        if (acedSSName(texts, i, entity) != RTNORM)
            continue;
        GetEntityCode(entity, code);
        if (code.size() > 5)
            SetXData(entity, "ZJLX", 0, code.c_str());
    }
    acedSSFree(texts);
}

}  // namespace cadastral
