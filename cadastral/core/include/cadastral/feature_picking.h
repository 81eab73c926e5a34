// Picking a closed feature by the prefix of its code (directly or through its group), the full
// parcel code, the centre of a boundary point, the start vertex of the canonical ring order, and
// point-list tests with a fixed tolerance.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

// Two points are the same when they lie this close (ArePointListsEqual: at most this far apart).
inline constexpr double kPointTolerance = 1e-6;

// Asks "选择<name>:" for one entity. True with a closed curve whose code begins with the prefix:
// the one picked or, when it does not qualify, the first such member of its group. False without
// a word when the pick fails or the entity is in no group; with an alert when the group holds no
// such member.
bool PickEntityByCodePrefix(const char* promptName, const char* codePrefix, ads_name entity);
// The parcel code: QHDM followed by the parcel number (the second item under "MIRET"), each empty
// when missing. False only when the entity has no object id.
bool BuildDistrictCode(const ads_name entity, std::string& code);
// The centre of a circle; false for anything else.
bool GetBoundaryPointCenter(const ads_name entity, AcGePoint2d& centre);
// The vertex furthest towards small x and large y (smallest x - y; the first of equal ones);
// 0 for an empty list.
int FindOrderStartVertex(const AcGePoint2dArray& points);
bool IsPointInList(const AcGePoint2dArray& points, const AcGePoint2d& point);
bool IsIdInArray(const AcDbObjectIdArray& ids, AcDbObjectId id);
// True when the lists have as many points and each point pairs with the point at the same index
// or at the mirrored index of the other list.
bool ArePointListsEqual(const AcGePoint2dArray& first, const AcGePoint2dArray& second);
// The first index of the point in the list, or -1.
int FindPointIndex(const AcGePoint2dArray& points, const AcGePoint2d& point);
// Whether the list's test point (the midpoint of a 2-point list, the third point of a list of 4
// or more; none for 0, 1 or 3 points) lies strictly inside one of the rings.
bool IsPointInsideAnyRing(const AcGePoint2dArray& points, const std::vector<AcGePoint2dArray>& rings);

}  // namespace cadastral
