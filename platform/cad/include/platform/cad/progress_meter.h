// The status bar's progress meter that long loops show.
#pragma once

#include <string>

// Shows the meter with a label over the range; 0, or -1 when the range is reversed.
int acedSetStatusBarProgressMeter(const char* pszLabel, int nMinPos, int nMaxPos);
// Moves it (clamped to the range); 0, or -1 when no meter is shown.
int acedSetStatusBarProgressMeterPos(int nPos);
// Takes the meter away.
void acedRestoreStatusBar();

namespace platform::cad {
struct ProgressMeterState {
    bool shown = false;
    std::string label;  // GBK
    int minimum = 0;
    int maximum = 0;
    int position = 0;
};
const ProgressMeterState& ProgressMeter();
}  // namespace platform::cad
