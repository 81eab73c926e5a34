#include <cstdio>

#include "browser_client/browser_client.h"
#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "cadastral/error_marking.h"
#include "cadastral/house_closure_check.h"
#include "cadastral/overlap_checks.h"
#include "cadastral/region_selection.h"
#include "check_steps.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/polyline_vertices.h"
#include "geometry/curve_boolean.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"

namespace cadastral {
namespace {

constexpr double kOverlayTolerance = 0.01;
constexpr double kInsideOffset = 0.1;

// The markers of the last run: every lightweight polyline on "ERROR".
void DeleteOldMarkers() {
    detail::SelectionSet markers;
    if (!SelectByFilterAndCode(markers.Fill(), "lwpolyline,ERROR", "")) {
        markers.Drop();
        return;
    }
    for (int i = 0; i < markers.Length(); ++i) {
        ads_name entity;
        if (acedSSName(markers.Name(), i, entity) == RTNORM) acdbEntDel(entity);
    }
}

void Erase(const AcDbObjectIdArray& ids) {
    for (int i = 0; i < ids.length(); ++i) {
        drawingutil::Opened<AcDbEntity> entity(ids[i], AcDb::kForWrite);
        if (entity) entity->erase();
    }
}

// The houses crossing the parcel's outline, less those wholly inside it; each whose overlay with
// the parcel is traced from crossing boundaries is a finding.
void CheckParcel(AcDbObjectId parcelId, const AcGePoint2dArray& outline, int& counter) {
    detail::SelectionSet touching;
    if (!SelectInPolygonByFilter(touching.Fill(), "CP", outline, 0.0, "*polyline,jmd", "", false)) {
        touching.Drop();
        return;
    }
    detail::SelectionSet inside;
    if (!SelectByPolygon(outline, inside.Fill(), "WP", kInsideOffset, 0)) inside.Drop();
    for (int i = 0; i < touching.Length(); ++i) {
        ads_name house;
        AcDbObjectId houseId;
        if (!touching.At(i, house, houseId) || inside.Member(house) || !detail::CodeOfClass(house, "fw")) continue;
        // A fresh list per house: the markers of the houses before it stay in the drawing.
        AcDbObjectIdArray results;
        if (!geometry::CurveBoolean(parcelId, houseId, results, 1, kOverlayTolerance) || results.isEmpty()) continue;
        if (geometry::CurveBooleanStatus() != 4) {
            Erase(results);
            continue;
        }
        ++counter;
        MarkErrorEntities(results);
        AcDbObjectIdArray linked = results;
        linked.append(parcelId);
        linked.append(houseId);
        char text[64];
        std::snprintf(text, sizeof text, "%d 房屋与宗地相交", counter);
        ReportEntitiesToBrowser(kHouseParcelTitle, text, linked);
    }
}

}  // namespace

void CheckFW_Intersect_ZD() {
    // Without codes no house could be told apart and the count would read as an all-clear; the
    // markers and findings of an earlier run stay.
    if (Tables().codes.empty()) {
        acutPrintf("\n%s", kNoCodeTableText);
        return;
    }
    DeleteOldMarkers();
    detail::SelectionSet parcels;
    if (!SelectByFilterAndCode(parcels.Fill(), "*polyline,jzd", "300000")) {
        parcels.Drop();
        acutPrintf("\n当前图上没有宗地");
        return;
    }
    ClearBrowserItem(kHouseParcelTitle);
    detail::ZoomExtents();
    const int count = parcels.Length();
    acedSetStatusBarProgressMeter("正在检查宗地与房屋相交情况...", 0, count);
    int counter = 0;
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        ads_name parcel;
        AcDbObjectId parcelId;
        if (!parcels.At(i, parcel, parcelId)) continue;
        AcGePoint2dArray outline;
        if (!GetCurvePoints(parcel, outline, 0) || outline.length() <= 2) continue;
        CheckParcel(parcelId, outline, counter);
    }
    acedRestoreStatusBar();
    ShowBrowser();
    acutPrintf("\n共查出 %d 个宗地与房屋相交", counter);
}

}  // namespace cadastral
