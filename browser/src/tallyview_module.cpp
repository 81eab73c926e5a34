// The module entry of Tallyview: its commands, its LISP function per drawing, and the dispatch of
// that function when another module invokes it through the host.
#include <cstddef>

#include "browser/info_view_bar.h"
#include "browser/kelvo_receive.h"
#include "browser/slide_display.h"
#include "browser/show_browser_command.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"

namespace {

struct LispFunction {
    const char* name;
    int (*handler)();
    bool registerAsCommand;  // acedRegFunc besides acedDefun
};

// A function's code is its row counted from 1.
const LispFunction kLispFunctions[] = {
    {"kelvo_receive", kelvo_receive, false},
};
constexpr int kLispFunctionCount = static_cast<int>(std::size(kLispFunctions));

struct Command {
    const char* group;
    const char* name;
    int flags;
    AcRxFunctionPtr handler;
};

void DoNothing() {}

// No exception may leave a command for the host.
void ShowCommand()
{
    try {
        ShowBrowserCommand();
    } catch (...) {
    }
}

void ShowSlidesGuarded()
{
    try {
        ShowSlidesCommand();
    } catch (...) {
    }
}

const Command kCommands[] = {
    {"QVKELVO", "KELVO_SHOW", ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW, ShowCommand},
    {"QVTEST", "TT", ACRX_CMD_MODAL, DoNothing},
    {"QVKELVO", "KELVO_SHOWPOINT", ACRX_CMD_MODAL, DoNothing},
    {"QVKELVO", "KELVO_SHOWSLIDES", ACRX_CMD_MODAL, ShowSlidesGuarded},
};

void AddCommand(const char* group, const char* globalName, const char* localName, int flags, AcRxFunctionPtr handler)
{
    AcEdCommandStack* stack = acedRegCmds;
    if (stack != nullptr)
        stack->addCommand(group, globalName, localName, flags, handler);
}

void RegisterCommands()
{
    for (const Command& c : kCommands)
        AddCommand(c.group, c.name, c.name, c.flags, c.handler);
}

void RemoveCommandGroups()
{
    AcEdCommandStack* stack = acedRegCmds;
    if (stack == nullptr)
        return;
    stack->removeGroup("QVKELVO");
    stack->removeGroup("QVTEST");
}

int DefineLispFunctions()
{
    for (int i = 0; i < kLispFunctionCount; ++i) {
        const LispFunction& f = kLispFunctions[i];
        if (acedDefun(f.name, static_cast<short>(i + 1)) != RTNORM)
            return RTERROR;
        if (f.registerAsCommand && acedRegFunc(f.handler, i + 1) != RTNORM)
            return RTERROR;
    }
    return RTNORM;
}

void UnregisterLispFunctions()
{
    for (int i = 0; i < kLispFunctionCount; ++i)
        acedUndef(kLispFunctions[i].name, static_cast<short>(i + 1));
}

// RSRSLT when the function gave its result, RSERR otherwise (an unknown code included, so that
// the caller hears of the failure).
int DispatchLispFunction()
{
    acedRetVoid();
    int code = acedGetFunCode();
    if (code < 1 || code > kLispFunctionCount)
        return RSERR;
    return kLispFunctions[code - 1].handler() == RTNORM ? RSRSLT : RSERR;
}

AcRx::AppRetCode Entry(AcRx::AppMsgCode msg, void* appId)
{
    switch (msg) {
        case AcRx::kInitAppMsg:
            acrxDynamicLinker->unlockApplication(appId);
            acrxDynamicLinker->registerAppMDIAware(appId);
            RegisterCommands();
            break;
        case AcRx::kUnloadAppMsg:
            RemoveCommandGroups();
            DropBrowserBar();
            break;
        case AcRx::kLoadDwgMsg: DefineLispFunctions(); break;
        case AcRx::kUnloadDwgMsg: UnregisterLispFunctions(); break;
        case AcRx::kInvkSubrMsg: return DispatchLispFunction() == RSRSLT ? AcRx::kRetOK : AcRx::kRetError;
        default: break;
    }
    return AcRx::kRetOK;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId)
{
    try {
        return Entry(msg, appId);
    } catch (...) {
        return AcRx::kRetError;
    }
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() { return ACRX_API_VERSION; }
