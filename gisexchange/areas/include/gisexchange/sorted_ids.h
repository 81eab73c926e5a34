// A set of object ids kept in ascending order, for quick membership tests over a whole category.
#pragma once

#include <vector>

#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

using SortedIdSet = std::vector<AcDbObjectId>;

// The ids sorted once, without repeats (rather than inserted one by one).
SortedIdSet BuildSortedIdSet(std::vector<AcDbObjectId> ids);
// True and the index when present; else false and the index where it would go.
bool FindSortedId(const SortedIdSet& set, AcDbObjectId id, int& index);
bool FindSortedId(const SortedIdSet& set, const ads_name entity, int& index);
// Inserts an absent id at its place; nothing for one already present or a null id.
void InsertSortedId(SortedIdSet& set, AcDbObjectId id);
void InsertSortedId(SortedIdSet& set, const ads_name entity);

}  // namespace gisexchange
