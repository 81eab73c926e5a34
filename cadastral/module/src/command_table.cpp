#include "cadastral/command_table.h"

#include "cadastral/annotation_coder.h"
#include "cadastral/boundary_numbering.h"
#include "cadastral/config_tables.h"
#include "cadastral/data_repair.h"
#include "cadastral/edge_lengths.h"
#include "cadastral/exchange_package.h"
#include "cadastral/gap_checks.h"
#include "cadastral/house_annotation_conversion.h"
#include "cadastral/house_closure_check.h"
#include "cadastral/merge_commands.h"
#include "cadastral/min_gap_dialog.h"
#include "cadastral/module_resources.h"
#include "cadastral/number_prefix.h"
#include "cadastral/precision_corrector.h"
#include "cadastral/repeated_vertices.h"
#include "cadastral/xdata_items.h"
#include "cadastral/overlap_checks.h"
#include "cadastral/parcel_integrity.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/ui/window_api.h"
#include "platform/win/com.h"

namespace cadastral {
namespace {

// In the order of registration.
// clang-format off
constexpr std::array<drawingutil::NamedHandler, kCommandCount> kCommands = {{
    {"ADDCODEQZ", drawingutil::GuardedCommand<ADDCODEQZ>},
    {"PELGARDBF", drawingutil::GuardedCommand<PELGARDBF>},
    {"CHECKSINGLEZD", drawingutil::GuardedCommand<CHECKSINGLEZD>},
    {"CONVERTFWZJ_QZ", drawingutil::GuardedCommand<CONVERTFWZJ_QZ>},
    {"DELELELASTSAMEPT", drawingutil::GuardedCommand<DELELELASTSAMEPT>},
    {"PELGARZDZJ", drawingutil::GuardedCommand<PELGARZDZJ>},
    {"RESETPRECISION", drawingutil::GuardedCommand<RESETPRECISION>},
    {"DELETEJZDPRE", drawingutil::GuardedCommand<DELETEJZDPRE>},
    {"SS_EXPORT_SHP", drawingutil::GuardedCommand<SS_EXPORT_SHP>},
    {"FENSHUXIAN", drawingutil::GuardedCommand<FENSHUXIAN>},
    {"CheckFWClosed", drawingutil::GuardedCommand<CheckFWClosed>},
    {"CheckFW_Intersect_ZD", drawingutil::GuardedCommand<CheckFW_Intersect_ZD>},
    {"AddZJLX", drawingutil::GuardedCommand<AddZJLX>},
    {"TopoTest", drawingutil::GuardedCommand<TopoTest>},
    {"PurgeData", drawingutil::GuardedCommand<PurgeData>},
    {"FW_Intersect_FW", drawingutil::GuardedCommand<FW_Intersect_FW>},
    {"TB_Intersect_TB", drawingutil::GuardedCommand<TB_Intersect_TB>},
    {"GetMaxJZDH", drawingutil::GuardedCommand<GetMaxJZDH>},
    {"CombineTB", drawingutil::GuardedCommand<CombineTB>},
    {"CombineZD", drawingutil::GuardedCommand<CombineZD>},
    {"CheckZDKongXi", drawingutil::GuardedCommand<CheckZDKongXi>},
    {"CheckTBKongXi", drawingutil::GuardedCommand<CheckTBKongXi>},
    {"CheckKongXi", drawingutil::GuardedCommand<CheckKongXi>},
    {"CombinePoly", drawingutil::GuardedCommand<CombinePoly>},
    {"Combinetbxzq", drawingutil::GuardedCommand<Combinetbxzq>},
    {"FindIllegalTBs", drawingutil::GuardedCommand<FindIllegalTBs>},
    {"SelEnts", drawingutil::GuardedCommand<SelEnts>},
    {"setmindist", drawingutil::GuardedCommand<SetMinDistCommand>},
    {"drawzdlen", drawingutil::GuardedCommand<drawzdlen>},
    {"testqzj", drawingutil::GuardedCommand<testqzj>},
    {"CheckParcelVertex", drawingutil::GuardedCommand<CheckParcelVertex>},
    {"CheckJzxAndGd", drawingutil::GuardedCommand<CheckJzxAndGd>},
    {"ArrangeGDDM", drawingutil::GuardedCommand<ArrangeGDDM>},
}};
// clang-format on

const std::array<drawingutil::CommandEntry, kCommandCount> kTable =
    drawingutil::MakeCommandEntries(kCommandGroup, kCommandFlags, kCommands);

constexpr std::array<const char*, 2> kGroups = {kCommandGroup, kOldCommandGroup};

}  // namespace

const std::array<drawingutil::CommandEntry, kCommandCount>& CommandTable() {
    return kTable;
}

Acad::ErrorStatus AddCommand(const char* group, const char* globalName, const char* localName, int flags,
                             AcRxFunctionPtr handler, int resourceId) {
    return drawingutil::AddCommand(group, globalName, localName, flags, handler, ModuleResources(), resourceId);
}

void RegisterCommands() {
    drawingutil::AddCommands(kTable);
    LoadConfigTables();
    // The relation-table export of the exchange package uses COM on this thread while loaded.
    CoInitialize(nullptr);
    if (HWND frame = adsw_acadMainWnd())
        SetWindowTextA(frame, kEditionTitle);
}

void RemoveCommandGroups() {
    drawingutil::RemoveCommandGroups(kGroups);
    CoUninitialize();
}

}  // namespace cadastral
