#include "cadastral/parcel_order.h"

#include "cadastral/dictionary_records.h"
#include "cadastral/entity_selection.h"
#include "cadastral/feature_picking.h"
#include "drawingutil/document_lock.h"
#include "drawingutil/outline_checks.h"
#include "drawingutil/point_rings.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/vertex_order.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/selection.h"

namespace cadastral {

bool OrderParcelVertices(const ads_name parcel) {
    if (!CheckParcelPolyline(parcel, 0))
        return false;
    // The frame vertices: a fitted outline is fitted again from them afterwards.
    AcGePoint2dArray points;
    if (!GetCurvePoints(parcel, points, 0) || points.length() < 3)
        return false;
    const int n = points.length();
    // Counter-clockwise, the start is the vertex read backwards from; a clockwise ring, read in the
    // other direction, is only turned to start there.
    if (IsRingClockwise(points)) {
        points.reverse();
        return ReorderPolylineVertices(parcel, n - 1 - FindOrderStartVertex(points), false);
    }
    return ReorderPolylineVertices(parcel, FindOrderStartVertex(points), true);
}

void OrderDrawingOnActivation() {
    drawingutil::DocumentLock lock;
    acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE);
    ads_name selection;
    bool selected = SelectByFilter(selection, "lwpolyline,JZD;polyline,JZD", "", false);
    int marker = 0;
    if (!ReadDictionaryRecord(kOrderDictionary, kOrderRecord, marker)) {
        Adesk::Int32 count = 0;
        if (selected)
            acedSSLength(selection, &count);
        acedSetStatusBarProgressMeter("调整宗地内界址点顺序...", 0, count);
        for (Adesk::Int32 i = 0; i < count; ++i) {
            ads_name parcel;
            if (acedSSName(selection, i, parcel) == RTNORM)
                OrderParcelVertices(parcel);
            acedSetStatusBarProgressMeterPos(i + 1);
        }
        acedRestoreStatusBar();
        WriteDictionaryRecord(kOrderDictionary, kOrderRecord, 1);
    }
    if (selected)
        acedSSFree(selection);
}

}  // namespace cadastral
