// The module entry of Tallyview: its commands, its LISP function per drawing, and the dispatch of
// that function when another module invokes it through the host.
#include <array>

#include "browser/info_view_bar.h"
#include "browser/kelvo_receive.h"
#include "browser/show_browser_command.h"
#include "browser/slide_display.h"
#include "drawingutil/command_table.h"
#include "drawingutil/lisp_table.h"
#include "drawingutil/module_entry.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/rx_dynamic_linker.h"

namespace {

// A function's code is its row counted from 1.
constexpr std::array<drawingutil::LispFunctionEntry, 1> kLispFunctions = {{
    {"kelvo_receive", kelvo_receive, false},
}};

void DoNothing() {}

constexpr std::array<drawingutil::CommandEntry, 4> kCommands = {{
    {"QVKELVO", "KELVO_SHOW", ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW, drawingutil::GuardedCommand<ShowBrowserCommand>},
    {"QVTEST", "TT", ACRX_CMD_MODAL, DoNothing},
    {"QVKELVO", "KELVO_SHOWPOINT", ACRX_CMD_MODAL, DoNothing},
    {"QVKELVO", "KELVO_SHOWSLIDES", ACRX_CMD_MODAL, drawingutil::GuardedCommand<ShowSlidesCommand>},
}};

constexpr std::array<const char*, 2> kCommandGroups = {"QVKELVO", "QVTEST"};

void OnLoad() {
    drawingutil::AddCommands(kCommands);
}

void OnUnload() {
    drawingutil::RemoveCommandGroups(kCommandGroups);
    DropBrowserBar();
}

std::span<const drawingutil::LispFunctionEntry> LispFunctions() {
    return kLispFunctions;
}

constexpr drawingutil::ModuleEntry kModule = {OnLoad, OnUnload, LispFunctions};

}  // namespace

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId)
{
    return drawingutil::AnswerHostMessage(kModule, msg, appId);
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() { return ACRX_API_VERSION; }
