#include "gisexchange/command_table.h"

#include <utility>

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

struct NamedHandler {
    const char* name;
    AcRxFunctionPtr handler;  // null: not built yet
};

// In the order of registration.
constexpr std::array<NamedHandler, kCommandCount> kCommands = {{
    {"GEOPORT", GeoportCommand},
    {"MAPGISSAVE", MapGisSave},
    {"TESTG", ElevationLabelsCommand},
    {"MAPGISSAVET", MapGisSaveT},
    {"GEOPORTX", BatchImportCommand},
    {"MAPGISSAVEX", MapGisSaveX},
}};

// The handler of a command at position I that is not built yet: a line on the command line,
// nothing else.
template <std::size_t I>
void NotBuiltYet() {
    acutPrintf("\n命令 %s 尚未实现, 图形没有改动.", kCommands[I].name);
}

// Not constexpr: the sanitizer build cannot compare function addresses at compile time.
template <std::size_t... I>
std::array<drawingutil::CommandEntry, kCommandCount> MakeTable(std::index_sequence<I...>) {
    return {{drawingutil::CommandEntry{
        kCommandGroup, kCommands[I].name, kCommandFlags,
        kCommands[I].handler != nullptr ? kCommands[I].handler : &NotBuiltYet<I>}...}};
}

const std::array<drawingutil::CommandEntry, kCommandCount> kTable =
    MakeTable(std::make_index_sequence<kCommandCount>());

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
