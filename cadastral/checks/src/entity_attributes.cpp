#include "entity_attributes.h"

#include <cstring>

#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/xdata_items.h"
#include "platform/cad/db_text.h"
#include "platform/cad/resbuf.h"
#include "platform/text/gbk.h"

namespace cadastral::detail {
namespace {

char AsciiUpper(unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); }

bool SameApplication(const char* stored, const char* application) {
    // Names whose first characters are single bytes that differ in any letter case are told
    // apart at once: most names of a chain are not the one asked for.
    const auto first = static_cast<unsigned char>(stored[0]), asked = static_cast<unsigned char>(application[0]);
    if (first < 0x80 && asked < 0x80 && AsciiUpper(first) != AsciiUpper(asked))
        return false;
    return std::strcmp(stored, application) == 0 || platform::text::GbkEqualNoCase(stored, application);
}

bool IsApplication(const resbuf* item, const char* application) {
    return item->restype == 1001 && item->resval.rstring != nullptr &&
           SameApplication(item->resval.rstring, application);
}

}  // namespace

EntityAttributes::EntityAttributes(AcDbObjectId id) {
    if (id.isNull())
        return;
    drawingutil::Opened<AcDbObject> object(id, AcDb::kForRead);
    if (!object)
        return;
    isText_ = AcDbText::cast(object.get()) != nullptr;
    xdata_.reset(object->xData(nullptr));
}

std::string EntityAttributes::Code() const {
    bool inCodes = false;
    for (const resbuf* item = xdata_.get(); item != nullptr; item = item->rbnext) {
        if (item->restype == 1001)
            inCodes = IsApplication(item, kFeatureCodeApp);
        else if (inCodes && item->restype == 1000)
            return drawingutil::ItemText(item, "%.3f");
    }
    return {};
}

bool EntityAttributes::IsText() const { return isText_; }

std::string EntityAttributes::Item(const char* application, int kind, int index) const {
    if (index < 0)
        return {};
    // The host gives every application of that name in one chain: the name of a second one
    // counts as an item.
    int counted = 0;
    bool headPassed = false;
    bool inApplication = false;
    for (const resbuf* item = xdata_.get(); item != nullptr; item = item->rbnext) {
        if (item->restype == 1001) {
            inApplication = IsApplication(item, application);
            if (inApplication && !headPassed) {
                headPassed = true;
                continue;
            }
        }
        if (!inApplication || counted++ != index)
            continue;
        return item->restype == drawingutil::GroupOfKind(kind) ? drawingutil::ItemText(item, "%.3f")
                                                                : std::string();
    }
    return {};
}

}  // namespace cadastral::detail
