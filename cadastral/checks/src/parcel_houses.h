// The outlines on the houses' layer ("lwpolyline,JMD;polyline,JMD"), read once for a run of the
// integrity check. They answer the window grown beyond a parcel's outline where their boxes make
// it clear (no house taken, or one), or leave it to the host's selection. The check changes none
// of them while they live.
#pragma once

#include "cadastral/window_outlines.h"

namespace cadastral::detail {

// Reads the working drawing's outlines on the houses' layer, in drawing order.
cadastral::WindowOutlines ReadParcelHouses();

}  // namespace cadastral::detail
