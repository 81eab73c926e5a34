#pragma once
// Long cuts on the host: the status bar's progress meter and the host's message loop.
#include "geometry/progress_sink.h"

namespace geometry {

class HostProgress : public ProgressSink {
public:
    void ShowProgressMeter(const char* label, int range) override;
    void SetProgressPosition(int position) override;
    void RestoreStatusBar() override;
    void PumpMessages() override;
};

}  // namespace geometry
