#include "drawingutil/entity_xdata.h"

#include <cstdlib>

#include "platform/cad/db_database.h"
#include "platform/text/format.h"

#include "command_line.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/xdata_items.h"

using namespace drawingutil;
using platform::text::Format;

namespace {

bool ValidArguments(const char* application, int kind)
{
    return application != nullptr && *application != '\0' && kind >= 0 && kind <= 4;
}

AcDbDatabase* DatabaseOf(const AcDbObject* object)
{
    return object->database() != nullptr ? object->database() : acdbHostApplicationServices()->workingDatabase();
}

// The object's chain under the application, or null.
Chain ReadChain(AcDbObjectId id, const char* application)
{
    Opened<AcDbObject> object(id, AcDb::kForRead);
    if (!object)
        return nullptr;
    return Chain(object->xData(application));
}

// Item `index` of a chain counted from 0 after the head; for -1 the last element (the head when
// there are no items); null past the end.
const resbuf* ItemAt(const resbuf* head, int index)
{
    const resbuf* item = head->rbnext;
    const resbuf* last = head;
    for (int i = 0; item != nullptr; ++i, item = item->rbnext) {
        if (i == index)
            return item;
        last = item;
    }
    return index == -1 ? last : nullptr;
}

// Writes a chain to the object; an application the drawing has not registered yet is registered,
// and the chain written again (most writes find it registered, so it is not looked up first).
bool SetXDataRegistering(AcDbObject* object, const resbuf* chain, const char* application)
{
    Acad::ErrorStatus es = object->setXData(chain);
    if (es == Acad::eRegappIdNotFound && EnsureRegisteredApp(DatabaseOf(object), application))
        es = object->setXData(chain);
    return es == Acad::eOk;
}

// Writes a one-item chain to the entity named.
void ReplaceChain(const ads_name entity, const char* application, int kind, const char* value)
{
    if (application == nullptr || *application == '\0')
        return;
    Opened<AcDbObject> object(entity, AcDb::kForWrite);
    if (!object)
        return;
    Chain chain(acutBuildList(1001, application, 0));
    if (!chain || (chain->rbnext = NewItem(kind, value)) == nullptr)
        return;
    SetXDataRegistering(object.get(), chain.get(), application);
}

}  // namespace

bool GetXDataAsText(const ads_name entity, const char* application, int kind, std::string& text)
{
    text.clear();
    AcDbObjectId id;
    int group = GroupOfKind(kind);
    if (application == nullptr || *application == '\0' || !IdOfName(entity, id))
        return false;
    Chain chain = ReadChain(id, application);
    if (!chain || group == 0)
        return false;
    for (const resbuf* item = chain->rbnext; item != nullptr; item = item->rbnext) {
        if (item->restype == group) {
            text = ItemText(item, "%f");
            return true;
        }
    }
    return false;
}

bool GetXDataLong(const ads_name entity, const char* application, long& value)
{
    std::string text;
    if (!GetXDataAsText(entity, application, kXDataLong, text))
        return false;
    value = std::atol(text.c_str());
    return true;
}

void SetXData(const ads_name entity, const char* application, int kind, const char* value)
{
    ReplaceChain(entity, application, kind, value);
}

void SetXDataLong(const ads_name entity, const char* application, long value)
{
    SetXData(entity, application, kXDataLong, std::to_string(value).c_str());
}

void ClearXData(const ads_name entity, const char* application)
{
    if (application == nullptr || *application == '\0')
        return;
    Opened<AcDbObject> object(entity, AcDb::kForWrite);
    if (!object)
        return;
    Chain chain(object->xData(application));
    if (!chain)
        return;
    acutRelRb(chain->rbnext);
    chain->rbnext = nullptr;
    object->setXData(chain.get());
}

int CountXDataItems(const ads_name entity, const char* application)
{
    AcDbObjectId id;
    if (application == nullptr || *application == '\0' || !IdOfName(entity, id))
        return -1;
    Chain chain = ReadChain(id, application);
    if (!chain)
        return -1;
    int count = 0;
    for (const resbuf* item = chain->rbnext; item != nullptr; item = item->rbnext)
        ++count;
    return count;
}

bool ReadEntityXData(AcDbObjectId id, const char* application, std::string& text, int kind, int index,
                     bool force, bool verbose)
{
    if (!ValidArguments(application, kind)) {
        if (verbose)
            PrintOnCommandLine("AppName,或者szData为空，或者nType不对");
        return false;
    }
    text.clear();
    Chain chain = ReadChain(id, application);
    if (!chain)
        return false;
    const resbuf* item = ItemAt(chain.get(), index);
    if (item == nullptr)
        return false;
    if (item->restype == GroupOfKind(kind)) {
        text = ItemText(item, "%.3f");
    } else if (force) {
        text = ItemText(item, "%.3f");
        if (verbose)
            PrintOnCommandLine(Format("\n强制输出类形不对的信息，原类型%d,要输出类型%d", item->restype, kind));
    }
    return true;
}

bool WriteEntityXData(AcDbObjectId id, const char* application, const char* value, int kind, int index,
                      bool insert, bool force, bool verbose)
{
    if (!ValidArguments(application, kind) || value == nullptr) {
        if (verbose)
            PrintOnCommandLine("AppName,或者csData为空，或者nType不对");
        return false;
    }
    Opened<AcDbObject> object(id, AcDb::kForWrite);
    if (!object)
        return false;
    Chain chain(object->xData(application));
    if (!chain) {
        chain.reset(acutBuildList(1001, application, 0));
        if (!chain || (chain->rbnext = NewItem(kind, value)) == nullptr)
            return false;
        return SetXDataRegistering(object.get(), chain.get(), application);
    }

    // The item before the place and the item at it (null past the end).
    resbuf* before = chain.get();
    resbuf* at = chain->rbnext;
    for (int i = 0; at != nullptr && i != index; ++i) {
        before = at;
        at = at->rbnext;
    }
    if (index < 0 || at == nullptr) {
        while (before->rbnext != nullptr)
            before = before->rbnext;
        if ((before->rbnext = NewItem(kind, value)) == nullptr)
            return false;
    } else if (insert) {
        resbuf* item = NewItem(kind, value);
        if (item == nullptr)
            return false;
        item->rbnext = at;
        before->rbnext = item;
    } else if (at->restype == GroupOfKind(kind)) {
        if (!SetItemValue(at, kind, value))
            return false;
    } else if (force) {
        if (verbose)
            PrintOnCommandLine(Format("\n实体的扩展数据类型由%d修改成%d", at->restype, kind));
        if (!SetItemValue(at, kind, value))
            return false;
    }
    return object->setXData(chain.get()) == Acad::eOk;
}
