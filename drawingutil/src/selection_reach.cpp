#include "drawingutil/selection_reach.h"

#include <algorithm>
#include <cmath>

#include "drawingutil/host_objects.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"

namespace drawingutil {

double ClearMargin(double magnitude) {
    constexpr double kLeast = 1e-6;        // in drawing units
    constexpr double kOfTolerance = 1000.0;  // times the drawing's point tolerance
    constexpr double kOfMagnitude = 1e-9;    // times the largest coordinate
    return std::max({kLeast, kOfTolerance * AcGeContext::gTol.equalPoint(), kOfMagnitude * std::fabs(magnitude)});
}

bool BoxClearlyInside(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& windowLow,
                      const AcGePoint2d& windowHigh, double margin) {
    return low.x > windowLow.x + margin && low.y > windowLow.y + margin && high.x < windowHigh.x - margin &&
           high.y < windowHigh.y - margin;
}

bool BoxClearlyOutOf(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& windowLow,
                     const AcGePoint2d& windowHigh, double margin) {
    return low.x < windowLow.x - margin || low.y < windowLow.y - margin || high.x > windowHigh.x + margin ||
           high.y > windowHigh.y + margin;
}

bool BoxesClearlyApart(const AcGePoint2d& low, const AcGePoint2d& high, const AcGePoint2d& otherLow,
                       const AcGePoint2d& otherHigh, double margin) {
    return high.x + margin < otherLow.x || otherHigh.x + margin < low.x || high.y + margin < otherLow.y ||
           otherHigh.y + margin < low.y;
}

bool ShownToSelection(const AcDbEntity& entity) {
    if (entity.visibility() != AcDb::kVisible)
        return false;
    Opened<AcDbLayerTableRecord> layer(entity.layerId(), AcDb::kForRead);
    return !layer || (!layer->isOff() && !layer->isFrozen());
}

bool InCurrentSpace(const AcDbEntity& entity) {
    AcDbDatabase* db = entity.database();
    return db != nullptr && entity.ownerId() == db->currentSpaceId();
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
