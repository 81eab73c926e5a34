// A plug-in of the host for its own tests, built as two modules. A registers its commands and,
// per drawing, the LISP function "rt_sum"; B's command calls that function through the host.
// Each module writes the messages it hears into the transcript.
#include "platform/cad/command_processor.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/documents.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/text/format.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/window_api.h"

#if defined(TEST_PLUGIN_A)
#define PLUGIN "A"
#define GROUP "RTTEST_A"
#else
#define PLUGIN "B"
#define GROUP "RTTEST_B"
#endif

namespace {

void Log(const std::string& what) { platform::ui::AppendTranscript(PLUGIN ": " + what); }

#if defined(TEST_PLUGIN_A)
void Hello() { acutPrintf("\nhello from %s", PLUGIN); }

void AskScale()
{
    ads_real scale = 0;
    int rc = acedGetReal("\nScale <500>: ", &scale);
    if (rc == RTNONE)
        scale = 500;
    if (rc == RTCAN) {
        acutPrintf("\nscale cancelled");
        return;
    }
    acutPrintf("\nscale %g", scale);
}

void Nest()
{
    int rc = acedCommand(RTSTR, "RTA_ASK", RTREAL, 250.0, RTNONE);
    acutPrintf("\nnested ask: %d", rc);
    rc = acedCommand(RTSTR, "Regen", RTNONE);
    acutPrintf("\nnested regen: %d", rc);
    rc = acedCommand(RTSTR, "NO_SUCH_COMMAND", RTNONE);
    acutPrintf("\nnested unknown: %d", rc);
}

// Adds a command to a group it never removes, so that the host has something to take back.
void Leak() { acedRegCmds->addCommand("RTLEAK", "RTLEAK_CMD", "RTLEAK_CMD", ACRX_CMD_MODAL, Hello); }

void Quit()
{
    platform::cad::ExitHost(3);
    ads_real ignored = 0;
    acutPrintf("\nafter exit: %d", acedGetReal("\nNever asked: ", &ignored));
}

void Box()
{
    acedAlert("注意: 100%");
    int button = MessageBoxA(adsw_acadMainWnd(), "保存修改吗?", "Dero", MB_YESNO);
    acutPrintf("\nbox gave %d", button);
}

// Says which drawings become active, as the product's reactors watch them.
struct ActivationLog : AcApDocManagerReactor {
    void documentActivated(AcApDocument* doc) override
    {
        platform::ui::AppendTranscript(std::string("A reactor: activated ") + doc->docTitle());
    }
} g_activations;

// A dock bar with one line of text, made on first use and shown again afterwards.
CDockControlBar* g_bar = nullptr;

void ShowBar()
{
    CFrameWnd* frame = acedGetAcadFrame();
    if (g_bar != nullptr) {
        frame->ShowControlBar(g_bar, TRUE);
        return;
    }
    g_bar = new CDockControlBar;
    g_bar->Create(AfxRegisterWndClass(CS_DBLCLKS), "测试窗", WS_CHILD | WS_VISIBLE, CRect(0, 0, 250, 200), frame, 0);
    CreateWindowExA(0, "STATIC", "窗中文字", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, g_bar->m_hWnd, nullptr, nullptr,
                    nullptr);
    g_bar->EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(g_bar, AFX_IDW_DOCKBAR_BOTTOM);
}

void HideBar()
{
    if (g_bar != nullptr)
        acedGetAcadFrame()->ShowControlBar(g_bar, FALSE);
}

void DropBar()
{
    if (g_bar != nullptr) {
        g_bar->DestroyWindow();
        delete g_bar;
        g_bar = nullptr;
    }
}

int Sum()
{
    long total = 0;
    for (const resbuf* rb = acedGetArgs(); rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == RTSHORT)
            total += rb->resval.rint;
        else if (rb->restype == RTLONG)
            total += static_cast<long>(rb->resval.rlong);
        else
            return RTERROR;
    }
    acedRetLong(total);
    return RTNORM;
}

void AddCommands()
{
    acDocManager->addReactor(&g_activations);
    AcEdCommandStack* stack = acedRegCmds;
    stack->addCommand(GROUP, "RTA_HELLO", "RTA_HELLO", ACRX_CMD_TRANSPARENT | ACRX_CMD_USEPICKSET, Hello);
    stack->addCommand(GROUP, "RTA_ASK", "RTA_ASK", ACRX_CMD_MODAL, AskScale);
    stack->addCommand(GROUP, "RTA_NEST", "RTA_NEST", ACRX_CMD_MODAL, Nest);
    stack->addCommand(GROUP, "RTA_LEAK", "RTA_LEAK", ACRX_CMD_MODAL, Leak);
    stack->addCommand(GROUP, "RTA_BAR", "RTA_BAR", ACRX_CMD_MODAL, ShowBar);
    stack->addCommand(GROUP, "RTA_BOX", "RTA_BOX", ACRX_CMD_MODAL, Box);
    stack->addCommand(GROUP, "RTA_HIDEBAR", "RTA_HIDEBAR", ACRX_CMD_MODAL, HideBar);
    stack->addCommand(GROUP, "RTA_QUIT", "rta_quit_local", ACRX_CMD_MODAL, Quit);
}

int Dispatch()
{
    acedRetVoid();
    if (acedGetFunCode() != 1)
        return RTERROR;
    return Sum() == RTNORM ? RSRSLT : RSERR;
}
#else
void CallSum()
{
    resbuf* args = acutBuildList(RTSTR, "RT_SUM", RTSHORT, 2, RTLONG, 40L, RTNONE);
    resbuf* result = nullptr;
    int rc = acedInvoke(args, &result);
    acutRelRb(args);
    if (rc == RTNORM && result != nullptr && result->restype == RTLONG)
        acutPrintf("\nrt_sum gave %lld", static_cast<long long>(result->resval.rlong));
    else
        acutPrintf("\nrt_sum unavailable: %d", rc);
    acutRelRb(result);
}

void AddCommands() { acedRegCmds->addCommand(GROUP, "RTB_CALL", "RTB_CALL", ACRX_CMD_MODAL, CallSum); }
#endif

}  // namespace

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId)
{
    Log(platform::text::Format("message %d", static_cast<int>(msg)));
    switch (msg) {
        case AcRx::kInitAppMsg:
            acrxDynamicLinker->unlockApplication(appId);
            acrxDynamicLinker->registerAppMDIAware(appId);
            AddCommands();
            break;
        case AcRx::kUnloadAppMsg:
            acedRegCmds->removeGroup(GROUP);
#if defined(TEST_PLUGIN_A)
            DropBar();
            acDocManager->removeReactor(&g_activations);
#endif
            break;
#if defined(TEST_PLUGIN_A)
        case AcRx::kLoadDwgMsg: acedDefun("rt_sum", 1); break;
        case AcRx::kUnloadDwgMsg: acedUndef("rt_sum", 1); break;
        case AcRx::kInvkSubrMsg: return Dispatch() == RSERR ? AcRx::kRetError : AcRx::kRetOK;
#endif
        default: break;
    }
    return AcRx::kRetOK;
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() { return ACRX_API_VERSION; }
