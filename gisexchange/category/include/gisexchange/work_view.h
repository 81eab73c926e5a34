// The work object of a conversion command: the open MapGIS workspace and file slot, and the
// attribute mapping of the current category (which MapGIS field takes its value from which
// extended-data application, and as which value kind).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gisexchange/gis_file.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

constexpr int kMatchSwitchCount = 18;

class DrawingEntities;

class CGisWorkView : public CGisFileView {
public:
    CGisWorkView();
    ~CGisWorkView() override;

    // The fourth field of the current category template's "*" line: the code an imported object
    // of the category gets when it has none.
    char m_defaultCode[20] = {};
    // Parallel: one entry per mapped field.
    std::vector<std::string> m_attributeNames;
    std::vector<std::string> m_sourceApplications;
    std::vector<int> m_valueKinds;
    std::string m_areaText;
    // The criteria of the symbol lookups of the import, all on until the read command sets them.
    int m_match[kMatchSwitchCount];
    // The drawing's entities, selected once for all the category writers of one export; null when
    // each writer selects for itself.
    std::shared_ptr<DrawingEntities> m_entities;
};

// Fills the mapping lists from the first attribute template whose category (third field of its
// "*" line) is the name; empty lists when none is.
void SelectCategoryTemplate(CGisWorkView& view, const char* category);
// The application and value kind mapped to the field; false when the field is not mapped.
bool LookupAttributeSource(const CGisWorkView& view, const char* fieldName, std::string& application, int& kind);
// Copies the entity's extended-data values into the attribute record of the object of that
// kind and number in the file, field by mapped field; a point number (kind 200) goes out as its
// number.
void WriteObjectAttributes(const CGisWorkView& view, const ads_name entity, short file, short kind, LONG number);

}  // namespace gisexchange
