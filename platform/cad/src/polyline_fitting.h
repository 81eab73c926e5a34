// Curve fitting and spline fitting of old-style 2D polylines: the vertices the host generates
// for the fit-curve and spline kinds.
#pragma once

#include <vector>

#include "platform/cad/ge_types.h"

namespace platform::cad {

struct FitVertex {
    AcGePoint2d point;
    double bulge = 0;
    bool generated = false;  // true for a vertex the fitting added
    double tangent = 0;      // direction at an original vertex (curve fitting)
};

// Each span between two vertices becomes two tangent-continuous arcs meeting at a generated vertex.
std::vector<FitVertex> CurveFit(const std::vector<AcGePoint2d>& points, bool closed);

// Points of a uniform B-spline of the degree (2 or 3) with the points as its control frame,
// segmentsPerSpan points per span; a closed frame gives a periodic curve.
std::vector<AcGePoint2d> SplineFit(const std::vector<AcGePoint2d>& control, int degree, bool closed,
                                   int segmentsPerSpan = 8);

}  // namespace platform::cad
