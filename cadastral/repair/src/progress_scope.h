// The status bar's progress meter for the length of a loop: restored on every way out.
#pragma once

#include "platform/cad/progress_meter.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

class ProgressScope {
public:
    ProgressScope(const char* label, int count) { acedSetStatusBarProgressMeter(label, 0, count); }
    ~ProgressScope() { acedRestoreStatusBar(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void Step(int position) { acedSetStatusBarProgressMeterPos(position); }
};

}  // namespace cadastral
