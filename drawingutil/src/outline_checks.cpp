#include "drawingutil/outline_checks.h"

#include <string>

#include "platform/cad/ac_array.h"
#include "platform/cad/prompts.h"

#include "drawingutil/curve_kinds.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/polyline_vertices.h"

namespace drawingutil {

bool CheckOutlinePolyline(const ads_name entity, int alert, OutlineCodeRule rule)
{
    auto fail = [alert](const char* message) {
        if (alert == 1)
            acedAlert(message);
        return false;
    };
    std::string code;
    GetEntityCode(entity, code);
    if (rule == nullptr || !rule(code))
        return fail("实体编码不对");
    int kind = GetCurveKind(entity, 1);
    if (kind < kCurveLightweight)
        return fail("请选择复合线");
    if (kind < kCurveClosedOffset)
        return fail("复合线没有封闭");
    AcGePoint2dArray points;
    if (!GetCurvePoints(entity, points, 0) || points.length() <= 2)
        return fail("复合线顶点太少");
    return true;
}

}  // namespace drawingutil

namespace {

bool IsParcelCode(std::string_view code) { return code == "300000"; }
bool IsParcelClassCode(std::string_view code) { return code.starts_with("30000"); }

}  // namespace

bool CheckParcelPolyline(const ads_name entity, int alert)
{
    return drawingutil::CheckOutlinePolyline(entity, alert, IsParcelCode);
}

bool CheckBoundaryPolyline(const ads_name entity, int alert)
{
    return drawingutil::CheckOutlinePolyline(entity, alert, IsParcelClassCode);
}
