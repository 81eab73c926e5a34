// Zooming the current viewport to a window, and out just enough to show points.
#pragma once

#include "platform/cad/ac_array.h"

// The smallest view height a zoom makes, in drawing units: a window of one point, or thinner than
// this, is shown at least this high.
constexpr double kMinZoomHeight = 1.0;

// Shows the window of two opposite corners (x and y). A window without width or height (a point,
// a horizontal or vertical line) is fitted to the screen's proportions, and no view is made lower
// than kMinZoomHeight. False, with the view unchanged, when the current view cannot be captured
// or the host refuses the view.
bool ZoomToWindow(const AcGePoint3d& corner1, const AcGePoint3d& corner2);
// Widens the view outwards, side by side, until it strictly contains the points' box widened by
// the margin, then lets the host handle pending messages once. True when it zoomed; false for no
// points or when the view already shows them.
bool EnsurePointsVisible(const AcGePoint2dArray& points, double margin);
