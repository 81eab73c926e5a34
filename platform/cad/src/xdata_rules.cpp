#include "platform/cad/xdata_rules.h"

#include <algorithm>
#include <type_traits>

#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/text/gbk.h"

namespace platform::cad {

bool FindRegisteredApp(AcDbDatabase* database, std::string_view app, std::string& registered)
{
    if (database == nullptr || app.empty())
        return false;
    auto* table = AcDbRegAppTable::cast(PeekObject(database->regAppTableId()));
    if (table == nullptr)
        return false;
    // Every item of extended data read or written asks this: the table's look-up by folded name.
    AcDbObjectId id;
    if (table->getAt(std::string(app).c_str(), id) != Acad::eOk)
        return false;
    auto* record = AcDbRegAppTableRecord::cast(PeekObject(id));
    if (record == nullptr)
        return false;
    registered = record->name();
    return true;
}

namespace {
bool IsXDataItemCode(int code)
{
    return (code >= 1000 && code <= 1005 && code != 1001) || (code >= 1010 && code <= 1013) ||
           (code >= 1020 && code <= 1023) || (code >= 1030 && code <= 1033) || (code >= 1040 && code <= 1042) ||
           code == 1070 || code == 1071;
}

std::size_t ItemSize(const DxfTag& tag)
{
    switch (tag.kind()) {
    case GroupValueKind::String:
        return tag.text.size() + 3;
    case GroupValueKind::Binary:
        return tag.bytes.size() + 3;
    case GroupValueKind::Point:
        return 26;
    case GroupValueKind::Real:
        return 10;
    case GroupValueKind::Int32:
        return 6;
    default:
        return 4;
    }
}

std::size_t ItemsSize(const std::vector<DxfTag>& items)
{
    std::size_t total = 0;
    for (const DxfTag& tag : items)
        total += ItemSize(tag);
    return total;
}
}  // namespace

std::size_t XDataSize(const std::vector<XDataApp>& apps)
{
    std::size_t total = 0;
    for (const XDataApp& app : apps)
        total += app.app.size() + 3 + ItemsSize(app.items);
    return total;
}

bool MergeXData(std::vector<XDataApp>& current, const std::vector<XDataApp>& apps)
{
    return MergeXData(current, std::vector<XDataApp>(apps));
}

bool MergeXData(std::vector<XDataApp>& current, std::vector<XDataApp>&& apps)
{
    if (!MergedXDataFits(current, apps))
        return false;
    ApplyXData(current, std::move(apps));
    return true;
}

bool MergedXDataFits(const std::vector<XDataApp>& current, const std::vector<XDataApp>& apps)
{
    // The sizes of the merged entries, worked out without building them (asked at every change of
    // extended data): an entry keeps its name and takes the items of the last application given
    // under that name; a new name counts once, where it first appears, with its last items.
    auto lastGiven = [&](const std::string& name, std::size_t from) -> const XDataApp* {
        const XDataApp* last = nullptr;
        for (std::size_t k = from; k < apps.size(); ++k)
            if (platform::text::GbkEqualNoCase(name, apps[k].app))
                last = &apps[k];
        return last;
    };
    auto known = [&](const std::string& name) {
        for (const XDataApp& entry : current)
            if (platform::text::GbkEqualNoCase(entry.app, name))
                return true;
        return false;
    };
    std::size_t total = 0;
    for (const XDataApp& entry : current) {
        const XDataApp* given = lastGiven(entry.app, 0);
        total += entry.app.size() + 3 + ItemsSize(given != nullptr ? given->items : entry.items);
    }
    for (std::size_t k = 0; k < apps.size(); ++k) {
        if (known(apps[k].app))
            continue;
        bool counted = false;
        for (std::size_t j = 0; j < k && !counted; ++j)
            counted = platform::text::GbkEqualNoCase(apps[j].app, apps[k].app);
        if (!counted)
            total += apps[k].app.size() + 3 + ItemsSize(lastGiven(apps[k].app, k)->items);
    }
    return total <= kMaxXDataBytes;
}

void ApplyXData(std::vector<XDataApp>& current, std::vector<XDataApp>&& apps)
{
    for (XDataApp& app : apps) {
        XDataApp* last = nullptr;
        for (XDataApp& entry : current)
            if (platform::text::GbkEqualNoCase(entry.app, app.app)) {
                if (last != nullptr)
                    last->items = app.items;
                last = &entry;
            }
        if (last != nullptr) {
            last->items = std::move(app.items);
            continue;
        }
        current.push_back(std::move(app));
    }
}

namespace {
// Tags is a list to copy the items from, or one to take them from.
template <typename Tags>
Acad::ErrorStatus ParseXDataFrom(AcDbDatabase* database, Tags& tags, std::vector<XDataApp>& out)
{
    std::vector<XDataApp> apps;
    bool inApp = false;
    std::size_t size = 0;
    int depth = 0;
    for (std::size_t k = 0; k < tags.size(); ++k) {
        auto& tag = tags[k];
        if (tag.code == 1001) {
            if (depth != 0)
                return Acad::eInvalidInput;
            std::string registered;
            if (!FindRegisteredApp(database, tag.text, registered))
                return Acad::eRegappIdNotFound;
            inApp = true;
            size += registered.size() + 3;
            apps.push_back(XDataApp{registered, {}});
            std::size_t items = 0;
            while (k + 1 + items < tags.size() && tags[k + 1 + items].code != 1001)
                ++items;
            apps.back().items.reserve(items);
            continue;
        }
        if (!inApp || !IsXDataItemCode(tag.code))
            return Acad::eInvalidInput;
        if (tag.code == 1000 && tag.text.size() > kMaxXDataString)
            return Acad::eXdataSizeExceeded;
        if (tag.code == 1004 && tag.bytes.size() > 127)
            return Acad::eXdataSizeExceeded;
        if (tag.code == 1002) {
            if (tag.text == "{")
                ++depth;
            else if (tag.text == "}" && depth > 0)
                --depth;
            else
                return Acad::eInvalidInput;
        }
        size += ItemSize(tag);
        if constexpr (std::is_const_v<Tags>)
            apps.back().items.push_back(tag);
        else
            apps.back().items.push_back(std::move(tag));
    }
    if (depth != 0)
        return Acad::eInvalidInput;
    if (size > kMaxXDataBytes)
        return Acad::eXdataSizeExceeded;
    out = std::move(apps);
    return Acad::eOk;
}

}  // namespace

Acad::ErrorStatus ParseXData(AcDbDatabase* database, const DxfTagList& tags, std::vector<XDataApp>& out)
{
    return ParseXDataFrom(database, tags, out);
}

Acad::ErrorStatus ParseXData(AcDbDatabase* database, DxfTagList&& tags, std::vector<XDataApp>& out)
{
    // Each application's items get a list of their exact size: entities keep it for as long as
    // they live, so room to spare there is memory held by every coded entity of the drawing.
    return ParseXDataFrom(database, tags, out);
}

}  // namespace platform::cad
