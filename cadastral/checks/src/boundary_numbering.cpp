#include "cadastral/boundary_numbering.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "browser_client/browser_client.h"
#include "cadastral/entity_selection.h"
#include "cadastral/parcel_boundary.h"
#include "cadastral/region_selection.h"
#include "check_steps.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/drawing_scale.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/message_pump.h"
#include "drawingutil/polyline_vertices.h"
#include "geometry/polygon_relation.h"
#include "geometry/ring_relation.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_object.h"
#include "platform/cad/db_text.h"
#include "platform/cad/documents.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"
#include "platform/ui/afx_wnd.h"

namespace cadastral {
namespace {

using detail::SelectionSet;

constexpr const char* kApp = "MIRET";

std::string ReadItem(AcDbObjectId id, const char* application, int kind, int index) {
    std::string text;
    if (id.isNull() || !ReadEntityXData(id, application, text, kind, index, false, false))
        return {};
    return text;
}

std::string CodeOf(const ads_name entity) {
    std::string code;
    GetEntityCode(entity, code);
    return code;
}

// Module-wide: the mode SelEnts offers next.
int selectionMode = 1;

struct KeptArray {
    AcApDocument* document;
    std::unique_ptr<AcDbObjectIdArray> patches;
};
std::map<std::int32_t, KeptArray>& KeptArrays() {
    static std::map<std::int32_t, KeptArray> kept;
    return kept;
}
std::int32_t lastKey = 0;

class PatchArrayReactor : public AcApDocManagerReactor {
public:
    void documentToBeDestroyed(AcApDocument* document) override {
        auto& kept = KeptArrays();
        for (auto it = kept.begin(); it != kept.end();)
            it = it->second.document == document ? kept.erase(it) : std::next(it);
    }
};
PatchArrayReactor* reactor = nullptr;

}  // namespace

void TopoTest() {
    SelectionSet texts;
    if (!SelectByFilter(texts.Fill(), "text,", "", false)) {
        texts.Drop();
        return;
    }
    ClearBrowserItem(kShpNoteTitle);
    for (int i = 0, n = texts.Length(); i < n; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!texts.At(i, entity, id))
            continue;
        AcDbText* text = nullptr;
        if (acdbOpenObject(text, id, AcDb::kForRead) != Acad::eOk)
            continue;
        const std::string string = text->textStringConst();
        text->close();
        if (string == "—" && CodeOf(entity).rfind("141", 0) == 0)
            ReportEntityIdToBrowser(kShpNoteTitle, string.c_str(), id);
    }
    ShowBrowser();
}

void GetMaxJZDH() {
    int choice = 1;
    const int status =
        acedGetInt("\n返回最大界址点号: (1)全图范围内  (2)某条闭合线内 (3)用户拉框选  <1>", &choice);
    if (status == RTNONE)
        choice = 1;
    else if (status != RTNORM)
        return;
    SelectionSet points;
    if (choice == 2) {
        ads_name curve;
        ads_point at;
        if (acedEntSel("\n请选择一条闭合多段线:", curve, at) != RTNORM)
            return;
        if (GetCurveKind(curve, 1) < 10) {
            acutPrintf("\n请选择闭合多段线");
            return;
        }
        AcGePoint2dArray ring;
        if (!GetCurvePoints(curve, ring, 0) ||
            !SelectInPolygonByFilter(points.Fill(), "WP", ring, 0.0, "circle,jzp", "301000", true) ||
            points.Length() == 0) {
            acutPrintf("\n该闭合线内无界址点");
            return;
        }
    } else if (!SelectByFilter(points.Fill(), "circle,jzp", "301000", choice == 3) || points.Length() == 0) {
        return;
    }
    const int count = points.Length();
    acedSetStatusBarProgressMeter("\n正在查找最大界址点号...", 0, count);
    AcDbObjectId winner;
    long best = 0;
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        ads_name entity;
        AcDbObjectId id;
        if (!points.At(i, entity, id))
            continue;
        const long number = std::atol(ReadItem(id, kApp, kXDataLong, 2).c_str());
        if (winner.isNull() || number > best) {
            winner = id;
            best = number;
        }
    }
    acedRestoreStatusBar();
    if (winner.isNull())
        return;
    const std::string prefix = ReadItem(winner, kApp, kXDataString, 1);
    ClearBrowserItem(kMaxPointNumberTitle);
    char text[160];
    std::snprintf(text, sizeof text, "最大界址点号为:%ld,前缀为:%s.", best, prefix.c_str());
    ReportEntityIdToBrowser(kMaxPointNumberTitle, text, winner);
    ShowBrowser();
}

bool SelectPatchesInPolygon(const ads_name polygon, AcDbObjectIdArray& patches) {
    patches.setLogicalLength(0);
    if (GetCurveKind(polygon, 1) < 10)
        return false;
    AcGePoint2dArray ring;
    if (!GetCurvePoints(polygon, ring, 0) || ring.length() < 3)
        return false;
    SelectionSet inside;
    if (!SelectInPolygonByFilter(inside.Fill(), "WP", ring, 0.0, "*polyline,DLJ", "", true))
        inside.Drop();
    AcGePoint2dArray fence = ring;
    if (!fence.first().isEqualTo(fence.last()))
        fence.append(fence.first());
    SelectionSet along;
    if (!SelectInPolygonByFilter(along.Fill(), "F", fence, 0.0, "*polyline,DLJ", "", true)) {
        along.Drop();
        return false;
    }
    for (int i = 0, n = inside.Length(); i < n; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (inside.At(i, entity, id) && !patches.contains(id))
            patches.append(id);
    }
    for (int i = 0, n = along.Length(); i < n; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!along.At(i, entity, id) || patches.contains(id))
            continue;
        if (geometry::PolygonRelationByName(polygon, entity) == geometry::kRelationSecondInsideTouching)
            patches.append(id);
    }
    return true;
}

std::int32_t KeepPatchArray(std::unique_ptr<AcDbObjectIdArray> patches) {
    auto& kept = KeptArrays();
    do {
        lastKey = lastKey == INT32_MAX ? 1 : lastKey + 1;
    } while (kept.count(lastKey) != 0);
    kept[lastKey] = KeptArray{acDocManager->curDocument(), std::move(patches)};
    return lastKey;
}

std::unique_ptr<AcDbObjectIdArray> TakePatchArray(std::int32_t key) {
    auto& kept = KeptArrays();
    auto it = kept.find(key);
    if (it == kept.end())
        return nullptr;
    std::unique_ptr<AcDbObjectIdArray> patches = std::move(it->second.patches);
    kept.erase(it);
    return patches;
}

void AddPatchArrayReactor() {
    if (reactor != nullptr)
        return;
    reactor = new PatchArrayReactor;
    acDocManager->addReactor(reactor);
}

void RemovePatchArrayReactor() {
    KeptArrays().clear();
    if (reactor == nullptr)
        return;
    acDocManager->removeReactor(reactor);
    delete reactor;
    reactor = nullptr;
}

void SelEnts() {
    char prompt[64];
    std::snprintf(prompt, sizeof prompt, "\n选择 (1)F选 (2)WP选 (3)CP选 <%d>", selectionMode);
    int mode = selectionMode;
    const int status = acedGetInt(prompt, &mode);
    if (status == RTNONE)
        mode = selectionMode;
    else if (status != RTNORM)
        return;
    selectionMode = mode;
    ads_name curve;
    ads_point at;
    if (acedEntSel("\n请选择PL线:", curve, at) != RTNORM)
        return;
    AcGePoint2dArray points;
    if (!GetCurvePoints(curve, points, 0) || points.isEmpty())
        return;
    detail::ZoomExtents();
    const char* how = nullptr;
    if (mode == 1) {
        how = "F";
        points.append(points.first());
    } else if (mode == 2) {
        how = "WP";
    } else if (mode == 3) {
        how = "CP";
    } else {
        return;
    }
    SelectionSet found;
    if (!SelectInPolygonByFilter(found.Fill(), how, points, 0.0, "*polyline,", "", false)) {
        found.Drop();
        return;
    }
    acedSSSetFirst(nullptr, nullptr);
    acedSSSetFirst(found.Name(), nullptr);
}

void CheckParcelVertex() {
    SelectionSet parcels;
    const bool any = SelectByFilter(parcels.Fill(), "*POLYLINE,JZD", "", false);
    if (!any)
        parcels.Drop();
    ClearBrowserItem(kBareVertexTitle);
    const int count = parcels.Length();
    acedSetStatusBarProgressMeter("正在检查宗地节点......", 0, count);
    const BoundaryPointIndex index;
    int reported = 0;
    for (int i = 0; i < count; ++i) {
        if (acedSetStatusBarProgressMeterPos(i) != 0)
            acedSetStatusBarProgressMeter("正在检查宗地节点......", 0, count);
        PumpMessages();
        ads_name parcel;
        AcDbObjectId id;
        if (!parcels.At(i, parcel, id) || CodeOf(parcel) != kParcelCode)
            continue;
        AcGePoint2dArray secondClass, boundary, vertices;
        AcDbObjectIdArray secondIds, boundaryIds;
        FindBoundaryPointsOnCurve(parcel, secondClass, boundary, secondIds, boundaryIds, &index);
        if (!GetCurvePoints(parcel, vertices, 0))
            continue;
        std::string text = "宗地的节点:";
        int unmatched = 0;
        for (int v = 0; v < vertices.length(); ++v) {
            bool matched = false;
            for (const AcGePoint2dArray* list : {&boundary, &secondClass})
                for (int k = 0; k < list->length(); ++k)
                    if ((*list)[k].distanceTo(vertices[v]) < 1e-6)
                        matched = true;
            if (matched)
                continue;
            ++unmatched;
            if (unmatched <= 10)
                text += " " + std::to_string(v + 1);
            if (unmatched == 11)
                text += "等";
        }
        if (unmatched == 0)
            continue;
        text += "没有界址点或者拐点,请修正";
        ReportEntityIdToBrowser(kBareVertexTitle, text.c_str(), id);
        ++reported;
    }
    if (reported == 0)
        AfxMessageBox("当前图形没有错误");
    acedRestoreStatusBar();
    ShowBrowser();
}

void CheckJzxAndGd() {
    SelectionSet circles;
    if (!SelectByFilter(circles.Fill(), "CIRCLE,GD", "", false)) {
        circles.Drop();
        return;
    }
    ClearBrowserItem(kTurnedPointTitle);
    const int count = circles.Length();
    acedSetStatusBarProgressMeter("正在检查拐点......", 0, count);
    double scale = 1000.0;
    GetDrawingScale(scale);
    const double reach = 0.7 * scale * 0.001;
    resbuf* filter = BuildEntityFilter("POLYLINE,JZD");
    int turned = 0;
    for (int i = 0; i < count; ++i) {
        acedSetStatusBarProgressMeterPos(i);
        ads_name entity;
        AcDbObjectId id;
        if (!circles.At(i, entity, id) || CodeOf(entity) != kSecondClassPointCode)
            continue;
        AcDbCircle* circle = nullptr;
        if (acdbOpenObject(circle, id, AcDb::kForRead) != Acad::eOk)
            continue;
        const AcGePoint3d centre = circle->center();
        circle->close();
        SelectionSet near;
        const AcGePoint3d low(centre.x - reach, centre.y - reach, 0),
            high(centre.x + reach, centre.y + reach, 0);
        if (!SelectByMode(near.Fill(), "c", low, high, filter, "", true)) {
            near.Drop();
            continue;
        }
        if (near.Length() < 2)
            continue;
        const ads_point at = {centre.x, centre.y, centre.z};
        ReportToBrowserPoint(kTurnedPointTitle, "转化成功", at);
        AcDbEntity* point = nullptr;
        if (acdbOpenObject(point, id, AcDb::kForWrite) == Acad::eOk) {
            point->setLayer("JZP");
            point->close();
        }
        // Items 0 and 1 in place: the point number after them stays.
        WriteEntityXData(id, kApp, kBoundaryPointCode, kXDataString, 0, false, true, false);
        WriteEntityXData(id, kApp, "J", kXDataString, 1, false, true, false);
        ++turned;
    }
    if (filter != nullptr)
        acutRelRb(filter);
    if (turned > 0) {
        ShowBrowser();
        char text[64];
        std::snprintf(text, sizeof text, "转化了%d个", turned);
        AfxMessageBox(text);
    }
    acedRestoreStatusBar();
}

void ArrangeGDDM() {
    SelectionSet parcels;
    if (!SelectByFilter(parcels.Fill(), "*LINE,JZD", "", false))
        parcels.Drop();
    const BoundaryPointIndex index;
    for (int i = 0, n = parcels.Length(); i < n; ++i) {
        ads_name parcel;
        AcDbObjectId id;
        if (!parcels.At(i, parcel, id) || CodeOf(parcel) != kParcelCode)
            continue;
        const std::string number = ReadItem(id, kApp, kXDataString, 1);
        if (number.size() != 13)
            continue;
        const std::string middle = number.substr(6, 2);
        AcGePoint2dArray secondClass, boundary;
        AcDbObjectIdArray secondIds, boundaryIds;
        FindBoundaryPointsOnCurve(parcel, secondClass, boundary, secondIds, boundaryIds, &index);
        if (secondIds.isEmpty() || boundaryIds.isEmpty())
            continue;
        const std::string first = ReadItem(boundaryIds[0], "JZDDM", kXDataString, 0);
        if (first.size() != 21)
            continue;
        const std::string district = first.substr(0, 12);
        for (int j = 0; j < secondIds.length(); ++j) {
            AcDbObjectId point = secondIds[j];
            const std::string old = ReadItem(point, "GDDM", kXDataString, 0);
            if (old.size() != 19)
                continue;
            const std::string fresh = district + middle + old.substr(old.size() - 7);
            WriteEntityXData(point, "GDDM", fresh.c_str(), kXDataString, 0, false, false, false);
        }
    }
    acutPrintf("拐点代码重排完毕!");
}

}  // namespace cadastral
