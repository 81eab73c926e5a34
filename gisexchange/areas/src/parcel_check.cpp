#include "gisexchange/parcel_check.h"

#include <string>

#include "drawingutil/curve_kinds.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/polyline_vertices.h"
#include "platform/cad/prompts.h"

namespace gisexchange {

namespace {

bool Fail(int verbose, const char* message)
{
    if (verbose == 1)
        acedAlert(message);
    return false;
}

}  // namespace

bool CheckParcelPolyline(const ads_name entity, int verbose)
{
    std::string code;
    GetEntityCode(entity, code);
    if (code.rfind("30000", 0) != 0 && code.rfind("33000", 0) != 0)
        return Fail(verbose, "实体编码不对");
    int kind = GetCurveKind(entity, 1);
    if (kind < 0)
        return Fail(verbose, "请选择复合线");
    if (kind < kCurveClosedOffset)
        return Fail(verbose, "复合线没有封闭");
    AcGePoint2dArray vertices;
    GetCurvePoints(entity, vertices, 0);
    if (vertices.length() <= 2)
        return Fail(verbose, "复合线顶点太少");
    return true;
}

}  // namespace gisexchange
