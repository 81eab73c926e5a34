// The members of a host selection set as object ids, in the selection's order.
#pragma once

#include <functional>
#include <vector>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace drawingutil {

// Appends the ids of the selection set's members in the selection's order, passing over a name
// without an id and, when `keep` is given, a member it does not keep.
void AppendMemberIds(const ads_name selection, std::vector<AcDbObjectId>& ids,
                     const std::function<bool(const ads_name)>& keep = nullptr);

// Appends the ids of what the selection (acedSSGet's mode, points and filter) takes, in its order,
// and frees the set; false when the selection takes nothing or fails.
bool AppendSelectedIds(const char* mode, const void* pt1, const void* pt2, const resbuf* filter,
                       std::vector<AcDbObjectId>& ids, const std::function<bool(const ads_name)>& keep = nullptr);

}  // namespace drawingutil
