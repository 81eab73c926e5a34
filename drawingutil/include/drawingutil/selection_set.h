// A selection set of the host freed on every path: empty until a selection fills it, freed when the
// holder goes or is filled again.
#pragma once

#include <cstdint>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/selection.h"

namespace drawingutil {

class SelectionSet {
public:
    SelectionSet() = default;
    ~SelectionSet() { Free(); }
    SelectionSet(const SelectionSet&) = delete;
    SelectionSet& operator=(const SelectionSet&) = delete;

    // The name for a selection call to fill; whatever the set held before is freed.
    std::int64_t* Fill()
    {
        Free();
        held_ = true;
        return name_;
    }
    // After a failed selection nothing is held.
    void Drop() { held_ = false; }
    void Free()
    {
        if (held_)
            acedSSFree(name_);
        held_ = false;
    }
    bool Held() const { return held_; }
    const std::int64_t* Name() const { return name_; }
    std::int64_t* Name() { return name_; }
    int Length() const
    {
        Adesk::Int32 length = 0;
        return held_ && acedSSLength(name_, &length) == RTNORM ? static_cast<int>(length) : 0;
    }
    // The entity's name at an index, and with it its id; false when either cannot be had.
    bool At(int index, ads_name entity) const { return held_ && acedSSName(name_, index, entity) == RTNORM; }
    bool At(int index, ads_name entity, AcDbObjectId& id) const
    {
        return At(index, entity) && acdbGetObjectId(id, entity) == Acad::eOk && !id.isNull();
    }
    bool Member(const ads_name entity) const { return held_ && acedSSMemb(entity, name_) == RTNORM; }
    void Add(const ads_name entity)
    {
        if (held_)
            acedSSAdd(entity, name_, name_);
    }

private:
    ads_name name_ = {0, 0};
    bool held_ = false;
};

}  // namespace drawingutil
