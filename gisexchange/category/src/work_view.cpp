#include "gisexchange/work_view.h"

#include <cstdlib>
#include <cstring>

#include "drawingutil/entity_xdata.h"
#include "gisexchange/config_tables.h"

namespace gisexchange {
namespace {

constexpr int kPointNumberKind = 200;

}  // namespace

CGisWorkView::CGisWorkView()
{
    m_valueKinds.reserve(8);
    for (int& on : m_match)
        on = 1;
}

CGisWorkView::~CGisWorkView() = default;

void SelectCategoryTemplate(CGisWorkView& view, const char* category)
{
    view.m_attributeNames.clear();
    view.m_sourceApplications.clear();
    view.m_valueKinds.clear();
    for (const AttributeTemplate& candidate : Config().templates) {
        if (candidate.category != category)
            continue;
        // The code is a fixed 20-byte field; a longer one is cut on a character boundary.
        std::string code = candidate.fourth;
        while (code.size() >= sizeof view.m_defaultCode)
            code.pop_back();
        std::memset(view.m_defaultCode, 0, sizeof view.m_defaultCode);
        std::memcpy(view.m_defaultCode, code.data(), code.size());
        for (const AttributeTemplateEntry& entry : candidate.entries) {
            view.m_sourceApplications.push_back(entry.fields[4]);
            view.m_attributeNames.push_back(entry.fields[0]);
            view.m_valueKinds.push_back(std::atoi(entry.fields[1].c_str()));
        }
        return;
    }
}

bool LookupAttributeSource(const CGisWorkView& view, const char* fieldName, std::string& application, int& kind)
{
    for (std::size_t i = 0; i < view.m_attributeNames.size(); ++i) {
        if (view.m_attributeNames[i] == fieldName) {
            application = view.m_sourceApplications[i];
            kind = view.m_valueKinds[i];
            return true;
        }
    }
    return false;
}

void WriteObjectAttributes(const CGisWorkView& view, const ads_name entity, short file, short kind, LONG number)
{
    CATT_STRU* structure = nullptr;
    ATT_VALUES* values = nullptr;
    if (GisGetAttribute(file, kind, number, &structure, &values) <= 0 || structure == nullptr)
        return;
    bool changed = false;
    for (short i = 0; i < structure->fieldCount; ++i) {
        const std::string name = structure->fields[i].name;
        std::string application;
        int valueKind = 0;
        if (!LookupAttributeSource(view, name.c_str(), application, valueKind))
            continue;
        std::string text;
        // A point number is read in as its letter and then its number: the number goes out.
        GetXDataAsText(entity, application.c_str(), valueKind == kPointNumberKind ? kXDataLong : valueKind, text);
        // MapGIS counts the deduction of a line the other way round: whole (0) is -1, half is 0.
        if (name == "线扣除方式") {
            if (text == "0")
                text = "-1";
            else if (text == "0.5")
                text = "0";
        }
        changed = GisSetFieldText(structure, values, name.c_str(), text.c_str()) > 0 || changed;
    }
    if (changed)
        GisPutAttribute(file, kind, number, structure, values);
}

}  // namespace gisexchange
