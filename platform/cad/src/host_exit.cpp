#include "platform/cad/host_exit.h"

#include "command_input.h"
#include "platform/text/format.h"
#include "platform/win/process_exit.h"
#include "platform/ui/answer_source.h"

namespace platform::cad {
namespace {
bool g_requested = false;
int g_code = 0;
}  // namespace

void ExitHost(int exitCode);

namespace {
// A module ends the host as a Windows program is ended; the host takes that over, so that the
// command loop ends in order and the program returns the code.
const bool g_takesExitProcess =
    (platform::win::SetExitProcessHandler([](UINT code) { ExitHost(static_cast<int>(code)); }), true);
}  // namespace

void ExitHost(int exitCode)
{
    if (g_requested)
        return;
    g_requested = true;
    g_code = exitCode;
    ui::AppendTranscript(text::Format("exit %d", exitCode));
}

bool HostExitRequested() { return g_requested; }
int HostExitCode() { return g_code; }

void ClearHostExit()
{
    g_requested = false;
    g_code = 0;
}

bool detail::Ending() { return g_requested; }

}  // namespace platform::cad
