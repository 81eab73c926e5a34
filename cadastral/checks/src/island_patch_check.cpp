#include <cstdio>

#include "browser_client/browser_client.h"
#include "cadastral/entity_selection.h"
#include "cadastral/overlap_checks.h"
#include "cadastral/region_selection.h"
#include "check_steps.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/polygon_relation.h"
#include "platform/cad/progress_meter.h"

namespace cadastral {

void FindIllegalTBs() {
    detail::SelectionSet patches;
    if (!SelectByFilterAndCode(patches.Fill(), "*polyline,dlj", "310000")) {
        patches.Drop();
        return;
    }
    ClearBrowserItem(kIslandPatchTitle);
    const int count = patches.Length();
    acedSetStatusBarProgressMeter("程序正在查找非法岛图斑", 0, count);
    int counter = 0;
    char text[96];
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        ads_name entity;
        AcDbObjectId outer;
        geometry::PointList outline;
        if (!patches.At(i, entity, outer) || !geometry::ReadEntityPoints(outer, outline) || outline.size() < 2)
            continue;
        // The fence runs all the way round, closing side included: an island may touch there.
        outline.push_back(outline.front());
        detail::SelectionSet along;
        if (!SelectInPolygonByFilter(along.Fill(), "F", detail::ToHostPoints(outline), 0.0, "*polyline,DLJ", "310000",
                                     false)) {
            along.Drop();
            continue;
        }
        AcDbObjectIdArray islands;
        for (int k = 0; k < along.Length(); ++k) {
            ads_name name;
            AcDbObjectId other;
            if (along.At(k, name, other) && other != outer &&
                geometry::PolygonRelationById(outer, other) == geometry::kRelationSecondInsideTouching)
                islands.append(other);
        }
        if (islands.isEmpty()) continue;
        ++counter;
        std::snprintf(text, sizeof text, "%d,外层图斑", counter);
        ReportEntityIdToBrowser(kIslandPatchTitle, text, outer);
        std::snprintf(text, sizeof text, "%d,内部图斑:%d个", counter, islands.length());
        ReportEntitiesToBrowser(kIslandPatchTitle, text, islands);
        AcDbObjectIdArray all = islands;
        all.append(outer);
        std::snprintf(text, sizeof text, "%d,内部图斑与外部图斑共%d个", counter, all.length());
        ReportEntitiesToBrowser(kIslandPatchTitle, text, all);
    }
    acedRestoreStatusBar();
    std::snprintf(text, sizeof text, "共找到%d个非法图斑", counter);
    ReportToBrowserPair(kIslandPatchTitle, text);
    ShowBrowser();
}

}  // namespace cadastral
