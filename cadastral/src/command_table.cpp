#include "cadastral/command_table.h"

#include <utility>

#include "cadastral/com_apartment.h"
#include "cadastral/config_tables.h"
#include "cadastral/house_closure_check.h"
#include "cadastral/min_gap_dialog.h"
#include "cadastral/module_resources.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/text/gbk.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"

namespace cadastral {
namespace {

// Local names loaded from string resources hold at most 64 bytes (the buffer has 68).
constexpr std::size_t kLocalNameLimit = 64;

// In the order of registration.
// clang-format off
constexpr std::array<CommandEntry, kCommandCount> kCommands = {{
    {"ADDCODEQZ", nullptr},
    {"PELGARDBF", nullptr},
    {"CHECKSINGLEZD", nullptr},
    {"CONVERTFWZJ_QZ", nullptr},
    {"DELELELASTSAMEPT", nullptr},
    {"PELGARZDZJ", nullptr},
    {"RESETPRECISION", nullptr},
    {"DELETEJZDPRE", nullptr},
    {"SS_EXPORT_SHP", nullptr},
    {"FENSHUXIAN", nullptr},
    {"CheckFWClosed", CheckFWClosed},
    {"CheckFW_Intersect_ZD", nullptr},
    {"AddZJLX", nullptr},
    {"TopoTest", nullptr},
    {"PurgeData", nullptr},
    {"FW_Intersect_FW", nullptr},
    {"TB_Intersect_TB", nullptr},
    {"GetMaxJZDH", nullptr},
    {"CombineTB", nullptr},
    {"CombineZD", nullptr},
    {"CheckZDKongXi", nullptr},
    {"CheckTBKongXi", nullptr},
    {"CheckKongXi", nullptr},
    {"CombinePoly", nullptr},
    {"Combinetbxzq", nullptr},
    {"FindIllegalTBs", nullptr},
    {"SelEnts", nullptr},
    {"setmindist", SetMinDistCommand},
    {"drawzdlen", nullptr},
    {"testqzj", nullptr},
    {"CheckParcelVertex", nullptr},
    {"CheckJzxAndGd", nullptr},
    {"ArrangeGDDM", nullptr},
}};
// clang-format on

// The stand-in handler of the command at position I: a line on the command line, nothing else.
template <std::size_t I>
void NotBuiltYet() {
    acutPrintf("\n命令 %s 尚未实现, 图形没有改动.", kCommands[I].name);
}

template <std::size_t... I>
constexpr std::array<AcRxFunctionPtr, kCommandCount> MakePlaceholders(std::index_sequence<I...>) {
    return {{&NotBuiltYet<I>...}};
}

constexpr std::array<AcRxFunctionPtr, kCommandCount> kPlaceholders =
    MakePlaceholders(std::make_index_sequence<kCommandCount>());

}  // namespace

const std::array<CommandEntry, kCommandCount>& CommandTable() {
    return kCommands;
}

AcRxFunctionPtr RegisteredHandler(std::size_t index) {
    if (index >= kCommandCount)
        return nullptr;
    return kCommands[index].handler != nullptr ? kCommands[index].handler : kPlaceholders[index];
}

Acad::ErrorStatus AddCommand(const char* group, const char* globalName, const char* localName, int flags,
                             AcRxFunctionPtr handler, int resourceId) {
    AcEdCommandStack* stack = acedRegCmds;
    if (stack == nullptr)
        return Acad::eNullObjectPointer;
    std::string local = localName != nullptr ? localName : "";
    if (resourceId != -1) {
        const std::string* text = platform::ui::FindString(ModuleResources(), static_cast<UINT>(resourceId));
        local = text != nullptr ? platform::text::TruncateGbk(*text, kLocalNameLimit) : std::string();
    }
    return stack->addCommand(group, globalName, local.c_str(), flags, handler, nullptr, -1, nullptr, nullptr);
}

void RegisterCommands() {
    for (std::size_t i = 0; i < kCommandCount; ++i)
        AddCommand(kCommandGroup, kCommands[i].name, kCommands[i].name, kCommandFlags, RegisteredHandler(i),
                   -1);
    LoadConfigTables();
    ComInitialize();
    if (HWND frame = adsw_acadMainWnd())
        SetWindowTextA(frame, kEditionTitle);
}

void RemoveCommandGroups() {
    if (AcEdCommandStack* stack = acedRegCmds) {
        stack->removeGroup(kCommandGroup);
        stack->removeGroup(kOldCommandGroup);
    }
    ComUninitialize();
}

}  // namespace cadastral
