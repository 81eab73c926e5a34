#include <iterator>

#include "browser_client/browser_client.h"
#include "cadastral/overlap_checks.h"
#include "geometry/ring_relation.h"
#include "pair_overlap_walk.h"
#include "platform/cad/command_processor.h"

namespace cadastral {

void TB_Intersect_TB() {
    using namespace geometry;
    // A patch holding another is no overlap here: islands are FindIllegalTBs' business.
    static constexpr detail::PairFinding kFindings[] = {
        {kRelationOverlap, true, "%d 两图斑相交,有公共面积."},
        {kRelationEqual, true, "%d 两图斑完全重合."},
    };
    static constexpr detail::PairOverlapCheck kCheck = {
        "*polyline,DLJ", "310000", "310000", "\n当前图上没有图斑!", kPatchOverlapTitle, kPatchOpenTitle,
        kPatchFewVerticesTitle, "正在检查图斑与图斑相交...", "%d 该图斑未闭合.", "%d 该图斑顶点个数是 %d 个.",
        kFindings, static_cast<int>(std::size(kFindings)),
    };
    if (!detail::RunPairOverlapCheck(kCheck)) return;
    // Results are not looked at: a missing command is the host's to report.
    acedCommand(RTSTR, "FindIllegalTBs", RTNONE);
    acedCommand(RTSTR, "FindZeroAreaTB", RTNONE);
    ShowBrowser();
}

}  // namespace cadastral
