#include "drawingutil/xdata_items.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"

#include "drawingutil/entity_xdata.h"
#include "drawingutil/host_objects.h"

namespace drawingutil {
namespace {

// The extended data items whose value is text on the heap: strings, the application name, the
// brace, a layer name and the handle and reserved string codes. 1004 holds a chunk of bytes.
bool HoldsText(int code)
{
    return (code >= 1000 && code <= 1003) || (code >= 1005 && code <= 1009);
}

// Decimal conversion as the host's run-time library does it: leading blanks, a sign, digits, the
// rest ignored; out-of-range values saturate at the 32-bit limits.
std::int32_t ToInt32(const char* text)
{
    errno = 0;
    long long value = std::strtoll(TextOrEmpty(text), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

}  // namespace

int GroupOfKind(int kind)
{
    switch (kind) {
    case 0:
    case 4:
        return 1000;
    case 1:
        return 1070;
    case 2:
        return 1071;
    case 3:
        return 1040;
    default:
        return 0;
    }
}

std::string FitValueText(const char* text)
{
    return platform::text::TruncateGbk(TextOrEmpty(text), kMaxXDataValueBytes);
}

bool SetItemValue(resbuf* item, int kind, const char* text)
{
    // Whatever the item held on the heap goes before it takes its new value.
    if (HoldsText(item->restype))
        std::free(item->resval.rstring);
    else if (item->restype == 1004)
        std::free(item->resval.rbinary.buf);
    item->resval = ads_u_val{};
    switch (kind) {
    case 1:
        item->restype = 1070;
        item->resval.rint = static_cast<short>(ToInt32(text));
        return true;
    case 2:
        item->restype = 1071;
        item->resval.rlong = ToInt32(text);
        return true;
    case 3:
        item->restype = 1040;
        item->resval.rreal = std::atof(TextOrEmpty(text));
        return true;
    default:
        item->restype = 1000;
        item->resval.rstring = acutNewString(FitValueText(text).c_str());
        return item->resval.rstring != nullptr;
    }
}

resbuf* NewItem(int kind, const char* text)
{
    resbuf* item = acutNewRb(1000);
    if (item == nullptr)
        return nullptr;
    item->resval.rstring = nullptr;
    if (!SetItemValue(item, kind, text)) {
        acutRelRb(item);
        return nullptr;
    }
    return item;
}

std::string ItemText(const resbuf* item, const char* realFormat)
{
    using platform::text::Format;
    switch (item->restype) {
    case 1000:
        return TextOrEmpty(item->resval.rstring);
    case 1070:
        return Format("%d", static_cast<int>(item->resval.rint));
    case 1071:
        return Format("%ld", static_cast<long>(static_cast<std::int32_t>(item->resval.rlong)));
    case 1040:
        return Format(realFormat, item->resval.rreal);
    default:
        return {};
    }
}

bool EnsureRegisteredApp(AcDbDatabase* database, const char* application)
{
    if (application != nullptr && *application != '\0') {
        AcDbRegAppTable* apps = nullptr;
        if (database->getRegAppTable(apps, AcDb::kForRead) == Acad::eOk) {
            const bool registered = apps->has(application);
            apps->close();
            if (registered)
                return true;
        }
    }
    AcDbRegAppTable* table = nullptr;
    if (database->getRegAppTable(table, AcDb::kForWrite) != Acad::eOk)
        return false;
    auto* record = new AcDbRegAppTableRecord;
    bool added = record->setName(application) == Acad::eOk && table->add(record) == Acad::eOk;
    if (added)
        record->close();
    else
        delete record;
    table->close();
    return added;
}

}  // namespace drawingutil
