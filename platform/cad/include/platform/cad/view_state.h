// The current view of a drawing on this headless host: a plan view of a screen of fixed pixel
// size. The saved-view system variables (VIEWCTR, VIEWSIZE, SCREENSIZE, VIEWDIR, TARGET, ...) read
// it, ZOOM and acedSetCurrentView change it, and the graphical selection modes see only what lies
// in it.
#pragma once

#include "platform/cad/db_entity.h"
#include "platform/cad/ge_types.h"

class AcDbDatabase;

namespace platform::cad {

struct ViewState {
    // A new drawing shows its default limits (0,0)-(12,9) on a 4:3 screen.
    AcGePoint3d center{6, 4.5, 0};
    double height = 9;
    double screenWidth = 1024;  // pixels
    double screenHeight = 768;
    AcGePoint3d target;
    AcGeVector3d direction{0, 0, 1};
    double twist = 0;
    double lensLength = 50;
    double frontZ = 0;
    double backZ = 0;
    int viewMode = 0;

    double Width() const { return height * screenWidth / screenHeight; }
    // The visible window as lower-left and upper-right corners.
    AcDbExtents Window() const;
    // Shows at least the given width and height around the centre: the height grows when the
    // area is wider than the screen's proportions. False (nothing changes) unless both are above
    // zero.
    bool Show(const AcGePoint3d& newCenter, double width, double areaHeight);
};

// The view of a drawing (the working one when null); made on first use.
ViewState& ViewOf(AcDbDatabase* database = nullptr);

// The extents of the drawing's current space: entities on layers that are not frozen. Empty for
// a drawing without geometry.
AcDbExtents DrawingExtents(AcDbDatabase* database = nullptr);
// ZOOM E: shows the drawing's extents. False (view unchanged) for an empty drawing.
bool ZoomExtents(AcDbDatabase* database = nullptr);
// ZOOM W: shows the window of two opposite corners; false for a window of zero width or height.
bool ZoomWindow(const AcGePoint3d& corner1, const AcGePoint3d& corner2, AcDbDatabase* database = nullptr);

}  // namespace platform::cad
