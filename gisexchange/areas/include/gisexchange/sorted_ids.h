// A set of object ids kept in the order of their handles, for quick membership tests over a whole
// category. Handles grow as the drawing's objects are made and are saved with it, so that the
// order is the drawing's on any host (object ids promise none).
#pragma once

#include <vector>

#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

using SortedIdSet = std::vector<AcDbObjectId>;

// The ids sorted once by handle, without repeats (rather than inserted one by one).
SortedIdSet BuildSortedIdSet(std::vector<AcDbObjectId> ids);
// True and the index when present; else false and the index where it would go.
bool FindSortedId(const SortedIdSet& set, AcDbObjectId id, int& index);
bool FindSortedId(const SortedIdSet& set, const ads_name entity, int& index);
// Inserts an absent id at its place; nothing for one already present or a null id.
void InsertSortedId(SortedIdSet& set, AcDbObjectId id);
void InsertSortedId(SortedIdSet& set, const ads_name entity);

}  // namespace gisexchange
