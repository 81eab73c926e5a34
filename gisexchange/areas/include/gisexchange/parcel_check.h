// Whether an entity is a usable parcel boundary: a closed polyline of more than two vertices whose
// code begins "30000" or "33000".
#pragma once

#include "platform/cad/resbuf.h"

namespace gisexchange {

// With `verbose` 1 the first failed condition is named in an alert box; otherwise quietly.
bool CheckParcelPolyline(const ads_name entity, int verbose);

}  // namespace gisexchange
