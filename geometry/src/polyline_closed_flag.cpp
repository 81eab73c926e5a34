#include "geometry/polyline_closed_flag.h"

#include "drawingutil/host_objects.h"
#include "platform/cad/ads_entity.h"

namespace geometry {

bool IsPolylineClosed(const ads_name entity) {
    const drawingutil::Chain list(acdbEntGet(entity));
    for (const resbuf* item = list.get(); item != nullptr; item = item->rbnext)
        if (item->restype == 70) return (item->resval.rint & 1) != 0;
    return false;
}

}  // namespace geometry
