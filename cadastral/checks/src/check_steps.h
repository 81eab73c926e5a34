// Steps the overlap checks share: a selection set freed on every path, outlines as the host's
// point arrays, and the drawing zoomed to its extents so that the screen-bound polygon
// selections see every feature.
#pragma once

#include <cstdint>

#include "geometry/point2d.h"
#include "platform/cad/ac_array.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/selection.h"

namespace cadastral::detail {

class SelectionSet {
public:
    SelectionSet() = default;
    ~SelectionSet() { Free(); }
    SelectionSet(const SelectionSet&) = delete;
    SelectionSet& operator=(const SelectionSet&) = delete;

    // The name to fill; whatever the set held before is freed.
    std::int64_t* Fill() {
        Free();
        held_ = true;
        return name_;
    }
    // After a failed selection nothing is held.
    void Drop() { held_ = false; }
    void Free() {
        if (held_) acedSSFree(name_);
        held_ = false;
    }
    bool Held() const { return held_; }
    const std::int64_t* Name() const { return name_; }
    std::int64_t* Name() { return name_; }
    int Length() const;
    bool Member(const ads_name entity) const { return held_ && acedSSMemb(entity, name_) == RTNORM; }
    // The entity's name and id at an index; false when either cannot be had.
    bool At(int index, ads_name entity, AcDbObjectId& id) const;

private:
    ads_name name_ = {0, 0};
    bool held_ = false;
};

AcGePoint2dArray ToHostPoints(const geometry::PointList& points);
void ZoomExtents();
// True when the feature code's record in the code table is of the class (any letter case).
bool CodeOfClass(const ads_name entity, const char* featureClass);

}  // namespace cadastral::detail
