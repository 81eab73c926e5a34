#include "entity_attributes.h"

#include <cstdint>

#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/db_text.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"

namespace cadastral::detail {
namespace {

int GroupOfKind(int kind) {
    switch (kind) {
    case kXDataShort:
        return 1070;
    case kXDataLong:
        return 1071;
    case kXDataReal:
        return 1040;
    default:
        return 1000;
    }
}

bool SameApplication(const std::string& stored, const char* application) {
    return stored == application || platform::text::GbkEqualNoCase(stored, application);
}

std::string TagText(const platform::cad::DxfTag& tag) {
    using platform::text::Format;
    switch (tag.code) {
    case 1000:
        return tag.text;
    case 1070:
        return Format("%d", static_cast<int>(static_cast<short>(tag.integer)));
    case 1071:
        return Format("%ld", static_cast<long>(static_cast<std::int32_t>(tag.integer)));
    case 1040:
        return Format("%.3f", tag.real);
    default:
        return {};
    }
}

}  // namespace

EntityAttributes::EntityAttributes(AcDbObjectId id) {
    if (!id.isNull())
        object_.openObject(id, AcDb::kForRead);
}

std::string EntityAttributes::Code() const {
    if (!object_)
        return {};
    for (const platform::cad::XDataApp& entry : object_->xdataApps()) {
        if (!SameApplication(entry.app, kFeatureCodeApp))
            continue;
        for (const platform::cad::DxfTag& tag : entry.items)
            if (tag.code == 1000)
                return tag.text;
    }
    return {};
}

bool EntityAttributes::IsText() const { return object_ && AcDbText::cast(object_.get()) != nullptr; }

std::string EntityAttributes::Item(const char* application, int kind, int index) const {
    if (!object_ || index < 0)
        return {};
    // The host gives every application of that name in one chain: the name of a second one
    // counts as an item.
    int position = 0;
    bool first = true;
    for (const platform::cad::XDataApp& entry : object_->xdataApps()) {
        if (!SameApplication(entry.app, application))
            continue;
        if (!first && position++ == index)
            return {};
        first = false;
        const auto count = static_cast<int>(entry.items.size());
        if (index < position + count) {
            const platform::cad::DxfTag& tag = entry.items[static_cast<std::size_t>(index - position)];
            return tag.code == GroupOfKind(kind) ? TagText(tag) : std::string();
        }
        position += count;
    }
    return {};
}

}  // namespace cadastral::detail
