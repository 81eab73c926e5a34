#include "platform/cad/host_clock.h"

#include <time.h>

#include "platform/ui/window_system.h"

namespace platform::cad {
namespace {
bool g_virtual = false;
}  // namespace

void UseVirtualClock(bool on)
{
    g_virtual = on;
    ui::UseVirtualClock(on);
}

bool VirtualClockInUse() { return g_virtual; }

}  // namespace platform::cad

void Sleep(DWORD dwMilliseconds)
{
    if (platform::cad::VirtualClockInUse())
        platform::ui::AdvanceClock(dwMilliseconds);
    else
    {
        timespec wait{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1000000L};
        while (nanosleep(&wait, &wait) != 0) {
        }
    }
}
