// The status bar's progress meter for the length of a loop: restored on every way out.
#pragma once

#include "platform/cad/progress_meter.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/selection.h"

namespace cadastral {

class ProgressScope {
public:
    ProgressScope(const char* label, int count) { acedSetStatusBarProgressMeter(label, 0, count); }
    ~ProgressScope() { acedRestoreStatusBar(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void Step(int position) { acedSetStatusBarProgressMeterPos(position); }
};

// A selection set freed when the holder goes; empty until the host fills it.
class SelectionHolder {
public:
    SelectionHolder() { ads_name_clear(set); }
    ~SelectionHolder() { Free(); }
    SelectionHolder(const SelectionHolder&) = delete;
    SelectionHolder& operator=(const SelectionHolder&) = delete;

    void Free()
    {
        if (!ads_name_nil(set))
            acedSSFree(set);
        ads_name_clear(set);
    }
    Adesk::Int32 Length() const
    {
        Adesk::Int32 length = 0;
        if (!ads_name_nil(set))
            acedSSLength(set, &length);
        return length;
    }

    ads_name set;
};

}  // namespace cadastral
