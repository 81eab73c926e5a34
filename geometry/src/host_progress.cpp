#include "geometry/host_progress.h"

#include "drawingutil/message_pump.h"
#include "platform/cad/progress_meter.h"

namespace geometry {

void HostProgress::ShowProgressMeter(const char* label, int range) { acedSetStatusBarProgressMeter(label, 0, range); }

void HostProgress::SetProgressPosition(int position) { acedSetStatusBarProgressMeterPos(position); }

void HostProgress::RestoreStatusBar() { acedRestoreStatusBar(); }

void HostProgress::PumpMessages() { ::PumpMessages(); }

}  // namespace geometry
