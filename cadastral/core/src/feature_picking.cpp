#include "cadastral/feature_picking.h"

#include <cmath>

#include "cadastral/attribute_data.h"
#include "drawingutil/curve_kinds.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/groups.h"
#include "drawingutil/host_objects.h"
#include "geometry/point_in_polygon.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_group.h"
#include "platform/cad/prompts.h"
#include "platform/text/format.h"

namespace cadastral {
namespace {

bool QualifiesByPrefix(const ads_name entity, const std::string& prefix) {
    if (GetCurveKind(entity, 1) < kCurveClosedOffset)
        return false;
    std::string code;
    GetEntityCode(entity, code);
    return code.compare(0, prefix.size(), prefix) == 0;
}

bool Same(const AcGePoint2d& a, const AcGePoint2d& b) { return a.distanceTo(b) < kPointTolerance; }

}  // namespace

bool PickEntityByCodePrefix(const char* promptName, const char* codePrefix, ads_name entity) {
    const std::string name = drawingutil::TextOrEmpty(promptName);
    const std::string prefix = drawingutil::TextOrEmpty(codePrefix);
    ads_name picked;
    ads_point at;
    if (acedEntSel(platform::text::Format("\n选择%s:", name).c_str(), picked, at) != RTNORM)
        return false;
    if (QualifiesByPrefix(picked, prefix)) {
        ads_name_set(picked, entity);
        return true;
    }
    AcDbObjectId groupId;
    if (!FindEntityGroup(picked, groupId))
        return false;
    AcDbObjectIdArray members;
    {
        drawingutil::Opened<AcDbGroup> group(groupId, AcDb::kForRead);
        if (group)
            group->allEntityIds(members);
    }
    for (int j = 0; j < members.length(); ++j) {
        AcDbObjectId id = members[j];
        ads_name member;
        if (acdbGetAdsName(member, id) == Acad::eOk && QualifiesByPrefix(member, prefix)) {
            ads_name_set(member, entity);
            return true;
        }
    }
    acedAlert(platform::text::Format("没有选中%s", name).c_str());
    return false;
}

bool BuildDistrictCode(const ads_name entity, std::string& code) {
    AcDbObjectId id;
    if (!drawingutil::IdOfName(entity, id))
        return false;
    std::string district;
    std::string number;
    ReadEntityXDataChecked(id, "QHDM", district, 0, 0, false, false);
    ReadEntityXDataChecked(id, "MIRET", number, 0, 1, false, false);
    code = district + number;
    return true;
}

bool GetBoundaryPointCenter(const ads_name entity, AcGePoint2d& centre) {
    drawingutil::Opened<AcDbCircle> circle(entity, AcDb::kForRead);
    if (!circle)
        return false;
    centre.set(circle->center().x, circle->center().y);
    return true;
}

int FindOrderStartVertex(const AcGePoint2dArray& points) {
    int best = 0;
    double least = 0;
    for (int i = 0; i < points.length(); ++i) {
        double value = std::fabs(points[i].x - points[i].y + 1e11) / 2;
        if (i == 0 || value < least) {
            least = value;
            best = i;
        }
    }
    return best;
}

bool IsPointInList(const AcGePoint2dArray& points, const AcGePoint2d& point) {
    return FindPointIndex(points, point) >= 0;
}

bool IsIdInArray(const AcDbObjectIdArray& ids, AcDbObjectId id) {
    for (int i = 0; i < ids.length(); ++i)
        if (ids[i] == id)
            return true;
    return false;
}

bool ArePointListsEqual(const AcGePoint2dArray& first, const AcGePoint2dArray& second) {
    const int n = first.length();
    if (n != second.length())
        return false;
    for (int i = 0; i < n; ++i) {
        if (first[i].distanceTo(second[i]) > kPointTolerance && first[i].distanceTo(second[n - 1 - i]) > kPointTolerance)
            return false;
    }
    return true;
}

int FindPointIndex(const AcGePoint2dArray& points, const AcGePoint2d& point) {
    for (int i = 0; i < points.length(); ++i)
        if (Same(points[i], point))
            return i;
    return -1;
}

bool IsPointInsideAnyRing(const AcGePoint2dArray& points, const std::vector<AcGePoint2dArray>& rings) {
    AcGePoint2d test;
    if (points.length() == 2)
        test.set((points[0].x + points[1].x) / 2, (points[0].y + points[1].y) / 2);
    else if (points.length() >= 4)
        test = points[2];
    else
        return false;
    for (const AcGePoint2dArray& ring : rings) {
        geometry::PointList list;
        list.reserve(static_cast<std::size_t>(ring.length()));
        for (int j = 0; j < ring.length(); ++j) {
            const AcGePoint2d& p = ring[j];
            list.push_back({p.x, p.y});
        }
        if (geometry::PointInPolygon(list, test.x, test.y) == -1)
            return true;
    }
    return false;
}

}  // namespace cadastral
