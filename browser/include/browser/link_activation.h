// Acting on the link of the line the user double-clicks in the browser's text: entities are zoomed
// to and flashed, a line is zoomed to, and points, polylines and regions are handed to the slide
// command of the module, which the dialog sends to the host's command line.
#pragma once

#include <vector>

#include "browser/info_item.h"
#include "platform/ui/afx_controls.h"

// The entry whose text starts at the position (true), or false and the last entry starting before
// it (-1 when none does).
bool FindLinkAtPosition(const CInfoItem& item, long position, int& index);

// The rich edit's selection changed. Only a selection made within a double-click's time of the
// last change, and not empty, acts; item is the item shown (null when none).
void ActivateLink(CRichEditCtrl& text, const CInfoItem* item);

// What "KELVO_SHOWSLIDES" is to show: the geometry of the last point, polyline or region link.
struct PendingSlide {
    int mode = 0;  // 3 point, 4 polyline, 5 region; anything else: none
    InfoPoint point;
    InfoPointList points;
    std::vector<InfoPointList> rings;
};
const PendingSlide& CurrentPendingSlide();
