#include "check_steps.h"

#include <string>

#include "cadastral/config_tables.h"
#include "cadastral/entity_selection.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/text/gbk.h"

namespace cadastral::detail {

AcGePoint2dArray ToHostPoints(const geometry::PointList& points) {
    AcGePoint2dArray host;
    for (const geometry::Point2d& p : points) host.append(AcGePoint2d(p.x, p.y));
    return host;
}

void ZoomExtents() { acedCommand(RTSTR, "zoom", RTSTR, "e", RTNONE); }

bool CodeOfClass(const ads_name entity, const char* featureClass) {
    std::string code, found;
    GetEntityCode(entity, code);
    return !code.empty() && FindCodeRecord(code, found) &&
           platform::text::GbkEqualNoCase(found.c_str(), featureClass);
}

}  // namespace cadastral::detail
