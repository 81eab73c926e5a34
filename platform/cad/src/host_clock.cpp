#include "platform/cad/host_clock.h"

#include "platform/ui/window_system.h"

namespace platform::cad {

void UseVirtualClock(bool on) { ui::UseVirtualClock(on); }

bool VirtualClockInUse() { return ui::UsingVirtualClock(); }

}  // namespace platform::cad
