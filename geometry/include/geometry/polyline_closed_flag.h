#pragma once
// Whether a polyline is closed, as its definition list says.
#include "platform/cad/resbuf.h"

namespace geometry {

// True when group 70 of the entity's definition list has bit 1 set; false without group 70 or
// when the name gives no entity.
bool IsPolylineClosed(const ads_name entity);

}  // namespace geometry
