#include "platform/cad/progress_meter.h"

#include <algorithm>

#include "platform/cad/prompts.h"
#include "platform/text/format.h"
#include "platform/ui/answer_source.h"

namespace platform::cad {
namespace {
ProgressMeterState g_meter;
}  // namespace

const ProgressMeterState& ProgressMeter() { return g_meter; }

}  // namespace platform::cad

using platform::cad::g_meter;

int acedSetStatusBarProgressMeter(const char* pszLabel, int nMinPos, int nMaxPos)
{
    if (nMaxPos < nMinPos)
        return -1;
    g_meter = {true, pszLabel ? pszLabel : "", nMinPos, nMaxPos, nMinPos};
    platform::ui::AppendTranscript(platform::text::Format("progress \"%s\" %d..%d", g_meter.label, nMinPos, nMaxPos));
    platform::cad::PrintToCommandLine(platform::text::Format("\n[%s]", g_meter.label));
    return 0;
}

int acedSetStatusBarProgressMeterPos(int nPos)
{
    if (!g_meter.shown)
        return -1;
    g_meter.position = std::clamp(nPos, g_meter.minimum, g_meter.maximum);
    return 0;
}

void acedRestoreStatusBar()
{
    if (!g_meter.shown)
        return;
    // Only the end is recorded: a position per item would drown the transcript.
    platform::ui::AppendTranscript(platform::text::Format("progress done at %d", g_meter.position));
    g_meter.shown = false;
}
