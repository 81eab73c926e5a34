// The kinds of curve the plug-ins tell apart: lightweight and 2D polylines by their fit, and the
// simple curves. Callers test "10 or more" for a closed polyline.
#pragma once

#include "platform/cad/resbuf.h"

enum CurveKind {
    kCurveLightweight = 0,
    kCurveSimple2d = 1,
    kCurveFit2d = 2,
    kCurveQuadSpline2d = 3,
    kCurveCubicSpline2d = 4,
    // Added to the polyline kinds when closure is asked for and the polyline is closed.
    kCurveClosedOffset = 10,
    kCurveArc = -1,
    kCurveCircle = -2,
    kCurveLine = -3,
    kCurveOther = -100,
};

// The CurveKind of the entity, derived classes included; kCurveOther for other entities and those
// that cannot be opened. With `closure` 1 a closed polyline (group 70 bit 1) gets 10 added.
int GetCurveKind(const ads_name entity, int closure);
