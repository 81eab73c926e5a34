#include "gisexchange/sorted_ids.h"

#include <algorithm>

#include "drawingutil/handle_keys.h"
#include "drawingutil/host_objects.h"

namespace gisexchange {
namespace {

bool ByHandle(const AcDbObjectId& a, const AcDbObjectId& b)
{
    return drawingutil::HandleKey(a.handle()) < drawingutil::HandleKey(b.handle());
}

}  // namespace

SortedIdSet BuildSortedIdSet(std::vector<AcDbObjectId> ids)
{
    std::erase_if(ids, [](const AcDbObjectId& id) { return id.isNull(); });
    std::sort(ids.begin(), ids.end(), ByHandle);
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

bool FindSortedId(const SortedIdSet& set, AcDbObjectId id, int& index)
{
    auto at = std::lower_bound(set.begin(), set.end(), id, ByHandle);
    index = static_cast<int>(at - set.begin());
    return at != set.end() && *at == id;
}

bool FindSortedId(const SortedIdSet& set, const ads_name entity, int& index)
{
    AcDbObjectId id;
    if (!drawingutil::IdOfName(entity, id)) {
        index = 0;
        return false;
    }
    return FindSortedId(set, id, index);
}

void InsertSortedId(SortedIdSet& set, AcDbObjectId id)
{
    int index = 0;
    if (id.isNull() || FindSortedId(set, id, index))
        return;
    set.insert(set.begin() + index, id);
}

void InsertSortedId(SortedIdSet& set, const ads_name entity)
{
    AcDbObjectId id;
    if (drawingutil::IdOfName(entity, id))
        InsertSortedId(set, id);
}

}  // namespace gisexchange
