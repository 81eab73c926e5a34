#include "pair_overlap_walk.h"

#include <cstdio>

#include "browser_client/browser_client.h"
#include "cadastral/entity_selection.h"
#include "cadastral/region_selection.h"
#include "check_steps.h"
#include "drawingutil/host_objects.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/polygon_relation.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"

namespace cadastral::detail {
namespace {

struct Counters {
    int overlaps = 0;
    int open = 0;
    int fewVertices = 0;
};

bool IsClosed(AcDbObjectId id) {
    drawingutil::Opened<AcDbCurve> curve(id, AcDb::kForRead);
    return curve && curve->isClosed();
}

const PairFinding* FindingFor(const PairOverlapCheck& check, int relation) {
    for (int i = 0; i < check.findingCount; ++i)
        if (check.findings[i].relation == relation) return &check.findings[i];
    return nullptr;
}

void RelateToNeighbours(const PairOverlapCheck& check, AcDbObjectId self, const geometry::PointList& outline,
                        const resbuf* filter, Counters& counters) {
    SelectionSet neighbours;
    if (!SSGetFromPolygon(neighbours.Fill(), "CP", ToHostPoints(outline), 0.0, filter, check.neighbourCode, false)) {
        neighbours.Drop();
        return;
    }
    for (int i = 0; i < neighbours.Length(); ++i) {
        ads_name entity;
        AcDbObjectId other;
        if (!neighbours.At(i, entity, other) || other == self) continue;
        const int relation = geometry::PolygonRelationById(self, other);
        if (relation < 0) continue;
        const PairFinding* finding = FindingFor(check, relation);
        if (finding == nullptr || (finding->eachPairOnce && !(self < other))) continue;
        AcDbObjectIdArray pair;
        pair.append(self);
        pair.append(other);
        char text[128];
        std::snprintf(text, sizeof text, finding->text, ++counters.overlaps);
        ReportEntitiesToBrowser(check.overlapTitle, text, pair);
    }
}

}  // namespace

bool RunPairOverlapCheck(const PairOverlapCheck& check) {
    SelectionSet features;
    if (!SelectByFilterAndCode(features.Fill(), check.filter, check.selectionCode)) {
        features.Drop();
        acutPrintf("%s", check.noneText);
        return false;
    }
    ZoomExtents();
    ClearBrowserItem(check.overlapTitle);
    ClearBrowserItem(check.openTitle);
    ClearBrowserItem(check.fewVerticesTitle);
    Counters counters;
    drawingutil::Chain filter(BuildEntityFilter(check.filter));
    const int count = features.Length();
    acedSetStatusBarProgressMeter(check.meterText, 0, count);
    char text[128];
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        ads_name entity;
        AcDbObjectId id;
        if (!features.At(i, entity, id)) continue;
        if (!IsClosed(id)) {
            std::snprintf(text, sizeof text, check.openText, ++counters.open);
            ReportEntityIdToBrowser(check.openTitle, text, id);
            continue;
        }
        geometry::PointList outline;
        geometry::ReadEntityPoints(id, outline);
        if (outline.size() <= 2) {
            std::snprintf(text, sizeof text, check.fewVerticesText, ++counters.fewVertices,
                          static_cast<int>(outline.size()));
            ReportEntityIdToBrowser(check.fewVerticesTitle, text, id);
            continue;
        }
        RelateToNeighbours(check, id, outline, filter.get(), counters);
    }
    acedRestoreStatusBar();
    if (counters.overlaps > 0 || counters.open > 0 || counters.fewVertices > 0) ShowBrowser();
    return true;
}

}  // namespace cadastral::detail
