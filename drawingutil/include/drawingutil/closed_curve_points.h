// PointInClosedCurve for many points against one curve. Where the curve is a flat closed polyline
// of straight sides and a point stands clear of it, the answer is counted from the vertices: the
// host's walk up a vertical line through the point then meets only clean crossings, each turning
// inside and outside, and its answer is the parity of those below the point. A point near a side,
// near a vertex's vertical, or with two crossings close together, and any other curve, is left to
// PointInClosedCurve.
#pragma once

#include <vector>

#include "platform/cad/ge_types.h"
#include "platform/cad/resbuf.h"

namespace drawingutil {

class ClosedCurvePoints {
public:
    // Reads the curve's vertices once; the curve must not change while this lives.
    explicit ClosedCurvePoints(const ads_name curve);

    // As PointInClosedCurve: 1 inside, 0 on the curve, -1 outside, -2 when it cannot tell.
    int Test(const AcGePoint2d& point) const;
    // The counted answer alone, 1 or -1; false where only PointInClosedCurve can tell.
    bool Counted(const AcGePoint2d& point, int& answer) const;

private:
    ads_name curve_{};
    std::vector<AcGePoint2d> ring_;  // empty when the curve is not read here
};

}  // namespace drawingutil
