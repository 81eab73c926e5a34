#include "drawingutil/selection_ids.h"

#include "drawingutil/host_objects.h"
#include "drawingutil/selection_set.h"
#include "platform/cad/selection.h"

namespace drawingutil {

void AppendMemberIds(const ads_name selection, std::vector<AcDbObjectId>& ids,
                     const std::function<bool(const ads_name)>& keep) {
    Adesk::Int32 count = 0;
    if (acedSSLength(selection, &count) != RTNORM || count <= 0)
        return;
    for (Adesk::Int32 i = 0; i < count; ++i) {
        ads_name member{};
        AcDbObjectId id;
        if (acedSSName(selection, i, member) == RTNORM && (!keep || keep(member)) && IdOfName(member, id))
            ids.push_back(id);
    }
}

bool AppendSelectedIds(const char* mode, const void* pt1, const void* pt2, const resbuf* filter,
                       std::vector<AcDbObjectId>& ids, const std::function<bool(const ads_name)>& keep) {
    SelectionSet set;
    if (acedSSGet(mode, pt1, pt2, filter, set.Fill()) != RTNORM) {
        set.Drop();
        return false;
    }
    AppendMemberIds(set.Name(), ids, keep);
    return true;
}

}  // namespace drawingutil
