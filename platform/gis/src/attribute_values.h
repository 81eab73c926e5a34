// What a record handed out by the attribute calls holds (private to the library).
#pragma once

#include <string>
#include <vector>

#include "platform/gis/basroot.h"
#include "platform/gis/gis_document.h"

struct ATT_VALUES {
    std::vector<std::string> values;
};

namespace platform::gis {

// A structure handed out to callers, with the field descriptions it points at.
struct AttributeScratch {
    std::vector<GisField> fields;
    std::vector<CFIELD_HEAD> heads;
    CATT_STRU structure{};
    ATT_VALUES values;

    void Fill(const std::vector<GisField>& from, const GisValues& record);
    // The field list of a structure a caller hands back, or null when it is not one of ours.
    static const AttributeScratch* Owner(const CATT_STRU* structure);
};

}  // namespace platform::gis
