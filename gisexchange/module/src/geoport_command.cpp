#include "gisexchange/geoport_command.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "browser_client/browser_client.h"
#include "gisexchange/config_tables.h"
#include "gisexchange/file_list_dialog.h"
#include "gisexchange/gis_import.h"
#include "gisexchange/import_tidy.h"
#include "gisexchange/module_resources.h"
#include "platform/cad/documents.h"
#include "platform/cad/main_frame.h"
#include "platform/gis/bas60.h"
#include "platform/gis/w60area.h"
#include "platform/text/format.h"

namespace gisexchange {
namespace {

constexpr const char* kReportItem = "转换报告";

// The dialog's switches in the order of its check boxes, as the work view numbers them.
constexpr int kViewSwitchOfCheck[kMatchCheckCount] = {
    0, 1, 3, 4, 2,                    // points: sub-symbol, width, height, colour, layer
    14, 11, 16, 17, 15, 13, 10, 12,   // lines: type, aux type, X, Y, width, colour, aux colour, layer
    5, 8, 9, 7, 6,                    // areas: fill colour, pattern height, width, colour, layer
};

// Undoes the push on every way out of the command.
class ResourceScope {
public:
    ResourceScope() { acDocManager->pushResourceHandle(ModuleResources()); }
    ~ResourceScope() { acDocManager->popResourceHandle(); }
    ResourceScope(const ResourceScope&) = delete;
    ResourceScope& operator=(const ResourceScope&) = delete;
};

int KindOfFieldType(int type)
{
    switch (type) {
        case 1:
        case 2:
        case 8:
            return 1;
        case 3:
            return 2;
        case 4:
        case 5:
        case 6:
            return 4;
        default:
            return 0;
    }
}

const AttributeTemplate* TemplateNamed(const std::string& name)
{
    for (const AttributeTemplate& candidate : Config().templates)
        if (candidate.name == name)
            return &candidate;
    return nullptr;
}

using Importer = void (*)(CGisWorkView&, int&, int&, const std::vector<AttributeTable>&,
                          const std::vector<std::string>&, ScaleSource);

void ImportChosen(const CFileListDialog& dialog, CFileListDialog::Category category, short kind, Importer import,
                  const std::vector<AttributeTable>& tables)
{
    const auto& paths = dialog.m_chosenPaths[category];
    for (std::size_t i = 0; i < paths.size(); ++i) {
        CGisWorkView view;
        view.OpenGisFile(paths[i].c_str(), kind);
        std::vector<std::string> groupNames;
        ReadImportCodes(view, dialog.m_chosenKinds[category][i].c_str(), tables, groupNames);
        const int first = category == CFileListDialog::kPoints ? 0 : category == CFileListDialog::kLines ? 5 : 13;
        const int last = category == CFileListDialog::kPoints ? 5 : category == CFileListDialog::kLines ? 13 : 18;
        for (int check = first; check < last; ++check)
            view.m_match[kViewSwitchOfCheck[check]] = dialog.m_match[check];
        int recognised = 0, unrecognised = 0;
        import(view, recognised, unrecognised, tables, groupNames, ScaleSource::kAsk);
        const std::string line = platform::text::Format("文件(%s) 共转换 %d 个实体，其中正常识别 %d 个，未能识别 %d 个",
                                                        paths[i].c_str(), recognised + unrecognised, recognised,
                                                        unrecognised);
        ReportToBrowserPair(kReportItem, line.c_str());
    }
}

}  // namespace

bool ReadGisTable(const char* path, AttributeTable& table)
{
    const short workspace = GisNewWorkspace(0);
    const short slot = GisGetFileSlot(workspace, GIS_KIND_TABLE);
    const std::string name = platform::text::Format("%s", path != nullptr ? path : "");
    bool loaded = GisLoadFile(name.c_str(), slot, 0, 0, 0) >= 1;
    if (loaded) {
        const short file = GisGetFileHandle(workspace);
        CATT_STRU* structure = nullptr;
        ATT_VALUES* values = nullptr;
        loaded = GisGetAttribute(file, GIS_KIND_TABLE, 0, &structure, &values) > 0 && structure != nullptr;
        const int fields = loaded ? structure->fieldCount : 0;
        const int firstColumn = static_cast<int>(table.Columns().size());
        for (int j = 1; j < fields; ++j)
            table.AddColumn(structure->fields[j].name, KindOfFieldType(structure->fields[j].type));
        const LONG records = loaded ? GisGetObjectCount(workspace) : 0;
        for (LONG record = 1; record <= records; ++record) {
            if (GisGetAttribute(file, GIS_KIND_TABLE, record, &structure, &values) <= 0)
                continue;
            table.AddRow();
            const int row = table.RowCount() - 1;
            for (int j = 1; j < fields && j < structure->fieldCount; ++j) {
                char text[257] = {};
                GisGetFieldText(structure, values, static_cast<short>(j), text, 256, 0, 0);
                table.SetValue(row, firstColumn + j - 1, text);
            }
        }
    }
    if (GisSlotHasFile(slot) != 0) {
        GisCloseFile(slot, 0);
        GisFreeSlot(slot);
    }
    GisFreeWorkspace(workspace);
    return loaded;
}

void GeoportCommand()
{
    ClearCodeGroups();
    CFileListDialog dialog(CWnd::FromHandle(acedGetAcadFrame() != nullptr ? acedGetAcadFrame()->GetSafeHwnd() : nullptr));
    ResourceScope resources;

    for (const AttributeTemplate& entry : Config().templates) {
        int category = -1;
        if (entry.second == "1" || entry.second == "4")
            category = CFileListDialog::kPoints;
        else if (entry.second == "2")
            category = CFileListDialog::kLines;
        else if (entry.second == "3")
            category = CFileListDialog::kAreas;
        if (category < 0)
            continue;
        dialog.m_names[category].push_back(entry.category);
        dialog.m_patterns[category].push_back(entry.fifth);
    }
    if (dialog.DoModal() != IDOK)
        return;

    for (const char* item : {"点实体错误", "线实体错误", "面实体错误", kReportItem})
        ClearBrowserItem(item);

    // Only the tables that were made are kept, in row order: a row without a template leaves no gap.
    std::vector<AttributeTable> tables;
    const auto& tablePaths = dialog.m_chosenPaths[CFileListDialog::kTables];
    for (std::size_t i = 0; i < tablePaths.size(); ++i) {
        const std::string& tableName = dialog.m_chosenKinds[CFileListDialog::kTables][i];
        const AttributeTemplate* source = TemplateNamed(tableName);
        if (source == nullptr)
            continue;
        AttributeTable table(tableName);
        ReadGisTable(tablePaths[i].c_str(), table);
        std::vector<std::string> fieldNames, suffixes;
        std::vector<int> kinds;
        for (const AttributeTemplateEntry& field : source->entries) {
            fieldNames.push_back(field.fields[4]);
            suffixes.push_back(field.fields[0]);
            kinds.push_back(std::atoi(field.fields[1].c_str()));
        }
        table.ArrangeColumns(fieldNames, suffixes, kinds);
        tables.push_back(std::move(table));
    }

    ImportChosen(dialog, CFileListDialog::kPoints, GIS_KIND_POINT, ImportPointFile, tables);
    ImportChosen(dialog, CFileListDialog::kLines, GIS_KIND_LINE, ImportLineFile, tables);
    ImportChosen(dialog, CFileListDialog::kAreas, GIS_KIND_AREA, ImportAreaFile, tables);

    TransferBoundaryPointData(true);
    ShowBrowser();
}

}  // namespace gisexchange
