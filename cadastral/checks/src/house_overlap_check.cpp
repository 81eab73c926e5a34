#include <iterator>

#include "cadastral/overlap_checks.h"
#include "geometry/ring_relation.h"
#include "pair_overlap_walk.h"

namespace cadastral {

void FW_Intersect_FW() {
    using namespace geometry;
    // A house inside another without contact is found only from the outer one, whose crossing
    // selection holds it; the other relations are found from both sides and told once.
    static constexpr detail::PairFinding kFindings[] = {
        {kRelationOverlap, true, "%d 两房屋相交,有公共面积."},
        {kRelationFirstInsideTouching, true, "%d 一房屋完全在另一房屋内部,且有交点."},
        {kRelationSecondInsideTouching, true, "%d 一房屋完全在另一房屋内部,且有交点."},
        {kRelationFirstInside, false, "%d 一房屋完全在另一房屋内部,且无交点."},
        {kRelationSecondInside, false, "%d 一房屋完全在另一房屋内部,且无交点."},
        {kRelationEqual, true, "%d 两房屋完全重合."},
    };
    static constexpr detail::PairOverlapCheck kCheck = {
        "*polyline,JMD", "", "141???", "\n当前图上没有房屋!", kHouseOverlapTitle, kHouseOpenTitle,
        kHouseFewVerticesTitle, "正在检查房屋与房屋相交...", "%d 该房屋未闭合.", "%d 该房屋顶点个数是 %d 个.",
        kFindings, static_cast<int>(std::size(kFindings)),
    };
    detail::RunPairOverlapCheck(kCheck);
}

}  // namespace cadastral
