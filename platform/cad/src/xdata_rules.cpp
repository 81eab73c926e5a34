#include "platform/cad/xdata_rules.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/resbuf.h"
#include "resbuf_blocks.h"
#include "platform/cad/ads_entity.h"
#include "platform/text/gbk.h"

namespace platform::cad {

namespace {
bool IsXDataItemCode(int code)
{
    return (code >= 1000 && code <= 1005 && code != 1001) || (code >= 1010 && code <= 1013) ||
           (code >= 1020 && code <= 1023) || (code >= 1030 && code <= 1033) || (code >= 1040 && code <= 1042) ||
           code == 1070 || code == 1071;
}

// The bytes an item takes in a drawing; length is that of a string or binary chunk.
std::size_t ItemSize(GroupValueKind kind, std::size_t length)
{
    switch (kind) {
    case GroupValueKind::String:
    case GroupValueKind::Binary:
        return length + 3;
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

std::size_t ItemsSize(const XDataItemList& items) { return items.DrawingBytes(); }
}  // namespace

bool AppendXDataResbufs(const XDataApp& app, resbuf**& link)
{
    resbuf* name = acutNewRb(1001);
    if (name == nullptr)
        return false;
    *link = name;
    link = &name->rbnext;
    name->resval.rstring = NewChainString(app.app.size() + 1);
    if (name->resval.rstring == nullptr)
        return false;
    std::memcpy(name->resval.rstring, app.app.c_str(), app.app.size() + 1);
    return app.items.AppendResbufs(link);
}

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

namespace {
// How many entries a merge adds: the names of apps that current lacks, each counted once.
std::size_t NewNamesCount(const std::vector<XDataApp>& current, const std::vector<XDataApp>& apps)
{
    std::size_t count = 0;
    for (std::size_t k = 0; k < apps.size(); ++k) {
        auto sameName = [&](const XDataApp& other) { return platform::text::GbkEqualNoCase(other.app, apps[k].app); };
        if (std::none_of(current.begin(), current.end(), sameName) &&
            std::none_of(apps.begin(), apps.begin() + static_cast<std::ptrdiff_t>(k), sameName))
            ++count;
    }
    return count;
}
}  // namespace

void ApplyXData(std::vector<XDataApp>& current, std::vector<XDataApp>&& apps)
{
    // An object keeps its entries for as long as it lives: room for exactly the entries it ends
    // with, taken at once, rather than the doubling of a growing list.
    const std::size_t added = NewNamesCount(current, apps);
    if (current.empty() && added == apps.size() && apps.capacity() == apps.size()) {
        current = std::move(apps);
        return;
    }
    if (added != 0)
        current.reserve(current.size() + added);
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
// The items being parsed, read in turn: from a list of tags or from a chain of result buffers.
class TagCursor {
public:
    TagCursor(const DxfTag* at, const DxfTag* end) : at_(at), end_(end) {}
    bool Done() const { return at_ == end_; }
    void Next() { ++at_; }
    int Code() const { return at_->code; }
    const char* CText() const { return at_->text.c_str(); }
    std::string_view Text() const { return at_->text; }
    std::size_t BinaryLength() const { return at_->bytes.size(); }
    void PackInto(XDataItemList::Packer& packer) const { packer.Tag(*at_); }

private:
    const DxfTag* at_;
    const DxfTag* end_;
};

class ResbufCursor {
public:
    explicit ResbufCursor(const resbuf* at) : at_(at) {}
    bool Done() const { return at_ == nullptr; }
    void Next() { at_ = at_->rbnext; }
    int Code() const { return at_->restype; }
    const char* CText() const { return at_->resval.rstring; }
    std::string_view Text() const { return at_->resval.rstring; }
    std::size_t BinaryLength() const { return static_cast<std::size_t>(at_->resval.rbinary.clen); }
    void PackInto(XDataItemList::Packer& packer) const
    {
        const ads_u_val& v = at_->resval;
        switch (GroupKindOf(at_->restype)) {
        case GroupValueKind::None:
            packer.Marker(at_->restype);
            break;
        case GroupValueKind::String:
            packer.String(at_->restype, v.rstring, std::strlen(v.rstring));
            break;
        case GroupValueKind::Binary:
            packer.Binary(at_->restype, reinterpret_cast<const unsigned char*>(v.rbinary.buf), BinaryLength());
            break;
        case GroupValueKind::Real:
            packer.Real(at_->restype, v.rreal);
            break;
        case GroupValueKind::Point:
            packer.Point(at_->restype, v.rpoint[0], v.rpoint[1], v.rpoint[2], false);
            break;
        case GroupValueKind::Int16:
        case GroupValueKind::Bool:
            packer.Integer(at_->restype, v.rint);
            break;
        case GroupValueKind::Int32:
            packer.Integer(at_->restype, static_cast<std::int32_t>(v.rlong));
            break;
        case GroupValueKind::Int64:
            packer.Integer(at_->restype, v.mnInt64);
            break;
        case GroupValueKind::Name: {
            AcDbObjectId id;
            if (!ads_name_nil(v.rlname))
                acdbGetObjectId(id, v.rlname);
            packer.Id(at_->restype, id);
            break;
        }
        }
    }

private:
    const resbuf* at_;
};

bool FindRegisteredApp(AcDbDatabase* database, const char* app, std::string& registered)
{
    if (database == nullptr || app == nullptr || *app == '\0')
        return false;
    auto* table = AcDbRegAppTable::cast(PeekObject(database->regAppTableId()));
    if (table == nullptr)
        return false;
    // Every change of extended data asks this: the table's look-up by folded name.
    AcDbObjectId id;
    if (table->getAt(app, id) != Acad::eOk)
        return false;
    auto* record = AcDbRegAppTableRecord::cast(PeekObject(id));
    if (record == nullptr)
        return false;
    registered = record->name();
    return true;
}

template <typename Cursor>
Acad::ErrorStatus AppendParsedXData(AcDbDatabase* database, Cursor cursor, std::vector<XDataApp>& apps)
{
    std::size_t heads = 0;
    for (Cursor item = cursor; !item.Done(); item.Next())
        heads += item.Code() == 1001 ? 1 : 0;
    if (apps.capacity() < apps.size() + heads)
        apps.reserve(apps.size() + heads);
    std::size_t size = 0;
    while (!cursor.Done()) {
        if (cursor.Code() != 1001)
            return Acad::eInvalidInput;
        std::string registered;
        if (!FindRegisteredApp(database, cursor.CText(), registered))
            return Acad::eRegappIdNotFound;
        size += registered.size() + 3;
        cursor.Next();
        const Cursor items = cursor;
        std::size_t packed = 0, count = 0;
        int depth = 0;
        for (; !cursor.Done() && cursor.Code() != 1001; cursor.Next()) {
            int code = cursor.Code();
            if (!IsXDataItemCode(code))
                return Acad::eInvalidInput;
            GroupValueKind kind = GroupKindOf(code);
            std::size_t length = 0;
            if (kind == GroupValueKind::String)
                length = cursor.Text().size();
            else if (kind == GroupValueKind::Binary)
                length = cursor.BinaryLength();
            if (code == 1000 && length > kMaxXDataString)
                return Acad::eXdataSizeExceeded;
            if (code == 1004 && length > 127)
                return Acad::eXdataSizeExceeded;
            if (code == 1002) {
                std::string_view brace = cursor.Text();
                if (brace == "{")
                    ++depth;
                else if (brace == "}" && depth > 0)
                    --depth;
                else
                    return Acad::eInvalidInput;
            }
            size += ItemSize(kind, length);
            packed += XDataItemList::PackedSize(kind, length);
            ++count;
        }
        // Braces open at the next application, or at the end, are refused alike.
        if (depth != 0)
            return Acad::eInvalidInput;
        apps.push_back(XDataApp{std::move(registered), {}});
        // Past the limit the whole is refused below, once the later items have been checked too.
        if (size > kMaxXDataBytes)
            continue;
        XDataItemList::Packer packer(apps.back().items, packed, count);
        for (Cursor item = items; !item.Done() && item.Code() != 1001; item.Next())
            item.PackInto(packer);
    }
    if (size > kMaxXDataBytes)
        return Acad::eXdataSizeExceeded;
    return Acad::eOk;
}

// Splits the items into applications, checking every rule in the order the items come; each
// application's items are checked and measured first, then packed into a list of their exact size.
// An empty out is filled in place, so that a caller's list keeps its room from call to call.
template <typename Cursor>
Acad::ErrorStatus ParseXDataFrom(AcDbDatabase* database, Cursor cursor, std::vector<XDataApp>& out)
{
    if (out.empty()) {
        Acad::ErrorStatus es = AppendParsedXData(database, cursor, out);
        if (es != Acad::eOk)
            out.clear();
        return es;
    }
    std::vector<XDataApp> apps;
    Acad::ErrorStatus es = AppendParsedXData(database, cursor, apps);
    if (es == Acad::eOk)
        out = std::move(apps);
    return es;
}

}  // namespace

bool FindRegisteredApp(AcDbDatabase* database, std::string_view app, std::string& registered)
{
    return FindRegisteredApp(database, std::string(app).c_str(), registered);
}

Acad::ErrorStatus ParseXData(AcDbDatabase* database, const DxfTagList& tags, std::vector<XDataApp>& out)
{
    return ParseXDataFrom(database, TagCursor(tags.data(), tags.data() + tags.size()), out);
}

Acad::ErrorStatus ParseXData(AcDbDatabase* database, DxfTagList&& tags, std::vector<XDataApp>& out)
{
    return ParseXData(database, static_cast<const DxfTagList&>(tags), out);
}

Acad::ErrorStatus ParseXData(AcDbDatabase* database, const resbuf* chain, std::vector<XDataApp>& out)
{
    for (const resbuf* rb = chain; rb != nullptr; rb = rb->rbnext)
        if (!ResbufHoldsValue(rb))
            return Acad::eInvalidResBuf;
    return ParseXDataFrom(database, ResbufCursor(chain), out);
}

}  // namespace platform::cad
