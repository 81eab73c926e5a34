#include "drawingutil/selection_reach.h"

#include <algorithm>

#include "drawingutil/host_objects.h"
#include "platform/cad/db_symbol_records.h"

namespace drawingutil {

bool ShownToSelection(const AcDbEntity& entity) {
    if (entity.visibility() != AcDb::kVisible)
        return false;
    Opened<AcDbLayerTableRecord> layer(entity.layerId(), AcDb::kForRead);
    return !layer || (!layer->isOff() && !layer->isFrozen());
}

bool SideMeetsBox(const AcGePoint2d& a, const AcGePoint2d& b, const AcGePoint2d& low, const AcGePoint2d& high) {
    double t0 = 0, t1 = 1;
    auto clip = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    double dx = b.x - a.x, dy = b.y - a.y;
    return clip(-dx, a.x - low.x) && clip(dx, high.x - a.x) && clip(-dy, a.y - low.y) && clip(dy, high.y - a.y);
}

}  // namespace drawingutil
