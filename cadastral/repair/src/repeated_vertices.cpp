#include "cadastral/repeated_vertices.h"

#include <vector>

#include "cadastral/entity_selection.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/polyline_vertices.h"
#include "drawingutil/selection_set.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_object_iterator.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/prompts.h"
#include "progress_scope.h"

namespace cadastral {

using drawingutil::Opened;

std::vector<RepeatedVertex> FindRepeatedVertices(const AcGePoint2dArray& points, bool closed, double threshold)
{
    std::vector<RepeatedVertex> found;
    const int count = points.length();
    const int minimum = closed ? 3 : 2;
    int remaining = count;
    for (int i = 1; i < count && remaining > minimum; ++i) {
        if (points[i - 1].distanceTo(points[i]) < threshold) {
            found.push_back({static_cast<std::size_t>(i), true});
            --remaining;
        }
    }
    // The closing pair counts only on a closed ring: an open polyline may end where it started.
    const bool lastGone = !found.empty() && found.back().index == static_cast<std::size_t>(count - 1);
    if (closed && count > 1 && !lastGone && remaining > minimum &&
        points[count - 1].distanceTo(points[0]) < threshold)
        found.push_back({static_cast<std::size_t>(count - 1), false});
    return found;
}

namespace {

// The kept vertex before each removal takes the bulge of the segment that really goes on.
// Returns the number removed.
int RemoveFromLightweight(AcDbPolyline* polyline, const std::vector<RepeatedVertex>& removals)
{
    std::vector<bool> gone(polyline->numVerts(), false);
    for (const RepeatedVertex& r : removals)
        gone[r.index] = true;
    for (const RepeatedVertex& r : removals) {
        if (!r.mergeBulge)
            continue;
        std::size_t keeper = r.index;
        while (keeper > 0 && gone[keeper])
            --keeper;
        double bulge = 0;
        polyline->getBulgeAt(static_cast<unsigned>(r.index), bulge);
        polyline->setBulgeAt(static_cast<unsigned>(keeper), bulge);
    }
    int removed = 0;
    for (auto it = removals.rbegin(); it != removals.rend(); ++it)
        if (polyline->removeVertexAt(static_cast<unsigned>(it->index)) == Acad::eOk)
            ++removed;
    return removed;
}

// The user's frame of an old-style polyline: its simple and spline-control vertices, in order.
AcDbObjectIdArray FrameVertexIds(const AcDb2dPolyline* polyline)
{
    AcDbObjectIdArray ids;
    std::unique_ptr<AcDbObjectIterator> it(polyline->vertexIterator());
    for (it->start(); !it->done(); it->step()) {
        Opened<AcDb2dVertex> vertex(it->objectId(), AcDb::kForRead);
        if (vertex && (vertex->vertexType() == AcDb::k2dVertex || vertex->vertexType() == AcDb::k2dSplineCtlVertex))
            ids.append(it->objectId());
    }
    return ids;
}

int RemoveFromOldStyle(const AcDbObjectIdArray& vertices, const std::vector<RepeatedVertex>& removals)
{
    std::vector<bool> gone(static_cast<std::size_t>(vertices.length()), false);
    for (const RepeatedVertex& r : removals)
        gone[r.index] = true;
    int removed = 0;
    for (const RepeatedVertex& r : removals) {
        Opened<AcDb2dVertex> vertex(vertices[static_cast<int>(r.index)], AcDb::kForWrite);
        if (!vertex)
            continue;
        if (r.mergeBulge) {
            std::size_t keeper = r.index;
            while (keeper > 0 && gone[keeper])
                --keeper;
            Opened<AcDb2dVertex> kept(vertices[static_cast<int>(keeper)], AcDb::kForWrite);
            if (kept)
                kept->setBulge(vertex->bulge());
        }
        if (vertex->erase() == Acad::eOk)
            ++removed;
    }
    return removed;
}

// The vertices removed from one polyline.
int CleanPolyline(const ads_name entity, double threshold)
{
    AcGePoint2dArray points;
    if (GetCurvePoints(entity, points, 0) && points.length() < 2)
        return 0;
    Opened<AcDbCurve> curve(entity, AcDb::kForWrite);
    if (!curve) {
        acutPrintf("\n没有选择多段线。");
        return 0;
    }
    if (AcDbPolyline* polyline = AsPolyline(curve.get()))
        return RemoveFromLightweight(polyline, FindRepeatedVertices(points, polyline->isClosed(), threshold));
    if (AcDb2dPolyline* polyline = As2dPolyline(curve.get())) {
        const AcDbObjectIdArray vertices = FrameVertexIds(polyline);
        // Vertices read one way and found another cannot be matched up: better left alone.
        if (vertices.length() != points.length())
            return 0;
        return RemoveFromOldStyle(vertices, FindRepeatedVertices(points, polyline->isClosed(), threshold));
    }
    acutPrintf("\n当前类型不处理");
    return 0;
}

}  // namespace

void DELELELASTSAMEPT()
{
    drawingutil::SelectionSet selection;
    if (!SelectByFilter(selection.Fill(), "*polyline,", "", false)) {
        selection.Drop();
        return;
    }
    double threshold = kDefaultRepeatThreshold;
    if (acedGetReal("\n请输入滤波阀值 <0.003米>:", &threshold) != RTNORM)
        threshold = kDefaultRepeatThreshold;
    if (!(threshold >= kMinRepeatThreshold)) {
        acutPrintf("\n输入的距离过小,请重新输入.");
        return;
    }
    const Adesk::Int32 length = selection.Length();
    int removed = 0;
    {
        ProgressScope progress("\n正在删除多段线上重复点...", static_cast<int>(length));
        for (Adesk::Int32 i = 0; i < length; ++i) {
            progress.Step(static_cast<int>(i));
            ads_name entity;
            if (selection.At(i, entity))
                removed += CleanPolyline(entity, threshold);
        }
        selection.Free();
    }
    acutPrintf("\n操作完成,共删除 %d 个多段线上的重复点.", removed);
}

}  // namespace cadastral
