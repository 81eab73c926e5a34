#include "gisexchange/member_cutting.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "drawingutil/polyline_vertices.h"
#include "gisexchange/boundary_cutting.h"
#include "gisexchange/entity_boxes.h"
#include "gisexchange/member_crossings.h"
#include "platform/cad/ads_entity.h"

namespace gisexchange {
namespace {

// Whether a member other than the entity could lie in or across the box of the entity's vertices,
// where the host looks for the curves it meets.
bool MayMeetOthers(const ads_name entity, AcDbObjectId self, const EntityBoxes& members)
{
    AcGePoint2dArray vertices;
    if (!GetCurvePoints(entity, vertices, 0) || vertices.isEmpty())
        return true;
    geometry::Extents box = ExtentsOfPoints(vertices);
    box.Expand(kSelectionReach);
    return members.AnyTouching(box, self);
}

// The members laid flat lately, by their place in the set: most neighbours of a member are drawn
// near it, and a bounded number of copies keeps the memory of a large drawing's cut small.
class FlatCopies {
public:
    // The copy kept for member k, empty when there is none; what is put there is kept.
    std::shared_ptr<AcDbPolyline>& Of(std::size_t k)
    {
        Slot& slot = slots_[k % slots_.size()];
        if (slot.member != k) {
            slot.member = k;
            slot.copy.reset();
        }
        return slot.copy;
    }

private:
    struct Slot {
        std::size_t member = SIZE_MAX;
        std::shared_ptr<AcDbPolyline> copy;
    };
    std::vector<Slot> slots_ = std::vector<Slot>(4096);
};

}  // namespace

std::vector<std::vector<int>> CutMembersIntoSharedLines(const SortedIdSet& set, SharedLineSet& lines,
                                                        const std::function<void(const ads_name)>& prepare)
{
    const EntityBoxes memberBoxes(set);
    // Only members are cut against each other: the drawing answers which of them a crossing
    // window takes wherever it can tell.
    const CrossingAnswer crossingMembers = [&memberBoxes](AcDbObjectId passed, const AcGePoint2d& low,
                                                          const AcGePoint2d& high, const AcGePoint2d& viewLow,
                                                          const AcGePoint2d& viewHigh,
                                                          std::vector<AcDbObjectId>& selected) {
        return MembersCrossing(memberBoxes, passed, low, high, viewLow, viewHigh, selected);
    };
    std::vector<std::vector<int>> refs(set.size());
    // A member laid flat once for the neighbours that meet it, and again after it was prepared,
    // which may turn it.
    FlatCopies flatCopies;
    for (std::size_t k = 0; k < set.size(); ++k) {
        ads_name entity{};
        if (acdbGetAdsName(entity, set[k]) != Acad::eOk)
            continue;
        if (prepare) {
            prepare(entity);
            flatCopies.Of(k).reset();
        }
        BoundaryCurveRecord record = LoadBoundaryCurve(entity, false);
        if (record.vertices.length() < 3)
            continue;
        record.flatCopy = flatCopies.Of(k);
        std::vector<AcDbObjectId> near;
        if (MayMeetOthers(entity, set[k], memberBoxes) && SelectBoundaryCurves(entity, crossingMembers, near)) {
            for (AcDbObjectId other : near) {
                int at = 0;
                ads_name otherName{};
                if (FindSortedId(set, other, at) && acdbGetAdsName(otherName, other) == Acad::eOk)
                    MarkCurveIntersections(record, otherName, flatCopies.Of(static_cast<std::size_t>(at)));
            }
        }
        flatCopies.Of(k) = record.flatCopy;
        SplitCurveAtBreaks(record, lines, 0);
        refs[k] = record.lineRefs;
    }
    return refs;
}

}  // namespace gisexchange
