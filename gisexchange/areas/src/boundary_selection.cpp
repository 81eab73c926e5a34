#include "gisexchange/boundary_selection.h"

#include <cstring>
#include <string>

#include "drawingutil/curve_kinds.h"
#include "drawingutil/entity_positions.h"
#include "drawingutil/entity_types.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/point_in_curve.h"
#include "drawingutil/polygon_selection.h"
#include "drawingutil/view_window.h"
#include "drawingutil/zoom.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

namespace gisexchange {

namespace {

constexpr double kWindowMargin = 0.1;

bool IsPolygonMode(const char* mode)
{
    for (const char* known : {"WP", "CP", "wp", "cp"})
        if (std::strcmp(mode, known) == 0)
            return true;
    return false;
}

// A linear feature lies inside when the points at 0, 1/4, 2/4 and 3/4 of its length lie inside
// or on the boundary, and for an open one its end point too.
bool CurveInside(const ads_name boundary, const ads_name entity, bool closed)
{
    drawingutil::Opened<AcDbCurve> curve(entity, AcDb::kForRead);
    if (!curve)
        return false;
    double start = 0, end = 0, length = 0;
    if (curve->getStartParam(start) != Acad::eOk || curve->getEndParam(end) != Acad::eOk ||
        curve->getDistAtParam(end, length) != Acad::eOk)
        return false;
    AcGePoint2dArray probes;
    for (int quarter = 0; quarter < 4; ++quarter) {
        AcGePoint3d at;
        if (curve->getPointAtDist(length * quarter / 4, at) != Acad::eOk)
            return false;
        probes.append(AcGePoint2d(at.x, at.y));
    }
    AcGePoint3d last;
    bool hasEnd = curve->getEndPoint(last) == Acad::eOk;
    curve.close();
    for (int i = 0; i < probes.length(); ++i)
        if (PointInClosedCurve(boundary, probes[i]) < 0)
            return false;
    if (closed)
        return true;
    return hasEnd && PointInClosedCurve(boundary, AcGePoint2d(last.x, last.y)) >= 0;
}

}  // namespace

bool SelectCodedEntitiesInBoundary(const ads_name boundary, const AcGePoint2dArray& points, ads_name result,
                                   const char* mode, double offset, int restoreView)
{
    const char* text = drawingutil::TextOrEmpty(mode);
    if (IsPolygonMode(text) && points.length() < 3)
        return false;
    if (SelectByPolygon(points, result, text, offset, restoreView))
        return true;
    if (!platform::text::GbkEqualNoCase(text, "WP"))
        return false;

    AcGePoint3d low, high;
    if (!GetPointsExtents(points, low, high, kWindowMargin))
        return false;
    // The window selection sees only the view: the window is brought into sight first.
    EnsurePointsVisible(points, kWindowMargin);
    ads_name window{};
    ads_point corner1 = {low.x, low.y, 0}, corner2 = {high.x, high.y, 0};
    bool found = acedSSGet("W", corner1, corner2, nullptr, window) == RTNORM;
    acedSSAdd(nullptr, nullptr, result);
    if (!found)
        return true;
    Adesk::Int32 count = 0;
    acedSSLength(window, &count);
    for (Adesk::Int32 i = 0; i < count; ++i) {
        ads_name entity{};
        if (acedSSName(window, i, entity) != RTNORM || (entity[0] == boundary[0] && entity[1] == boundary[1]))
            continue;
        std::string code;
        GetEntityCode(entity, code);
        if (code.rfind("31", 0) != 0 && code.rfind("32", 0) != 0)
            continue;
        std::string type;
        GetEntityTypeName(entity, type);
        if (platform::text::GbkEqualNoCase(type.c_str(), "INSERT") && code == "312000") {
            AcGePoint3d at;
            if (GetBlockPosition(entity, at) && PointInClosedCurve(boundary, AcGePoint2d(at.x, at.y)) > 0)
                acedSSAdd(entity, result, result);
            continue;
        }
        int kind = GetCurveKind(entity, 1);
        if (kind < 0)
            continue;
        bool closed = kind >= kCurveClosedOffset;
        if ((code == "311000" || closed) && CurveInside(boundary, entity, closed))
            acedSSAdd(entity, result, result);
    }
    acedSSFree(window);
    return true;
}

}  // namespace gisexchange
