#include "gisexchange/command_table.h"

#include "gisexchange/config_tables.h"
#include "gisexchange/batch_import.h"
#include "gisexchange/exchange_table.h"
#include "gisexchange/geoport_command.h"
#include "gisexchange/import_tidy.h"
#include "gisexchange/module_resources.h"
#include "gisexchange/save_commands.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/ui/afx_wnd.h"

namespace gisexchange {
namespace {

// In the order of registration.
constexpr std::array<drawingutil::NamedHandler, kCommandCount> kCommands = {{
    {"GEOPORT", GeoportCommand},
    {"MAPGISSAVE", MapGisSave},
    {"TESTG", ElevationLabelsCommand},
    {"MAPGISSAVET", MapGisSaveT},
    {"GEOPORTX", BatchImportCommand},
    {"MAPGISSAVEX", MapGisSaveX},
}};

const std::array<drawingutil::CommandEntry, kCommandCount> kTable =
    drawingutil::MakeCommandEntries(kCommandGroup, kCommandFlags, kCommands);

constexpr std::array<const char*, 1> kGroups = {kCommandGroup};

}  // namespace

const std::array<drawingutil::CommandEntry, kCommandCount>& CommandTable() {
    return kTable;
}

Acad::ErrorStatus AddCommand(const char* group, const char* globalName, const char* localName, int flags,
                             AcRxFunctionPtr handler, int resourceId) {
    return drawingutil::AddCommand(group, globalName, localName, flags, handler, ModuleResources(),
                                   resourceId);
}

void LoadConfiguration() {
    drawingutil::AddCommands(kTable);
    LoadWorkTable();
    // Each table stands alone: a missing or faulty file leaves only its own table empty.
    LoadTemplateData();
    LoadTextStyleTable();
    LoadColorTable();
    LoadExchangeTable();
    if (LoadIndexTable() == IndexLoad::kNotFound)
        AfxMessageBox("未找到配置文件Index.ini");
}

void RemoveCommandGroups() {
    drawingutil::RemoveCommandGroups(kGroups);
}

}  // namespace gisexchange
