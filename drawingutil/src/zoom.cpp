#include "drawingutil/zoom.h"

#include <algorithm>
#include <cmath>

#include "platform/cad/db_view_record.h"

#include "drawingutil/message_pump.h"
#include "drawingutil/view_window.h"

bool ZoomToWindow(const AcGePoint3d& corner1, const AcGePoint3d& corner2)
{
    double width = std::fabs(corner1.x - corner2.x), height = std::fabs(corner1.y - corner2.y);
    // On this host's plan views the display coordinates are the world's.
    AcGePoint2d centre((corner1.x + corner2.x) / 2, (corner1.y + corner2.y) / 2);
    if (!std::isfinite(width) || !std::isfinite(height) || !std::isfinite(centre.x) || !std::isfinite(centre.y))
        return false;
    AcDbViewTableRecord view;
    if (!SaveViewState(view) || !(view.height() > 0) || !(view.width() > 0))
        return false;
    // A window of no width or height would make a view of size 0: fit the missing side to the
    // screen's proportions, and keep the whole view at least kMinZoomHeight high.
    double aspect = view.width() / view.height();
    if (!(width > 0) && !(height > 0))
        height = kMinZoomHeight;
    if (!(height > 0))
        height = width / aspect;
    if (!(width > 0))
        width = height * aspect;
    double shown = std::max(height, width / aspect);
    if (shown < kMinZoomHeight) {
        width *= kMinZoomHeight / shown;
        height *= kMinZoomHeight / shown;
    }
    view.setCenterPoint(centre);
    view.setWidth(width);
    view.setHeight(height);
    return acedSetCurrentView(&view, nullptr) == Acad::eOk;
}

bool EnsurePointsVisible(const AcGePoint2dArray& points, double margin)
{
    AcGePoint3d boxLow, boxHigh, viewLow, viewHigh;
    if (!GetPointsExtents(points, boxLow, boxHigh, margin) || !GetViewWindow(viewLow, viewHigh))
        return false;
    if (viewLow.x < boxLow.x && viewHigh.x > boxHigh.x && viewLow.y < boxLow.y && viewHigh.y > boxHigh.y)
        return false;
    viewLow.set(std::min(viewLow.x, boxLow.x), std::min(viewLow.y, boxLow.y), 0);
    viewHigh.set(std::max(viewHigh.x, boxHigh.x), std::max(viewHigh.y, boxHigh.y), 0);
    ZoomToWindow(viewLow, viewHigh);
    PumpMessages();
    return true;
}
