#include "gisexchange/member_cutting.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/layers.h"
#include "drawingutil/polyline_vertices.h"
#include "gisexchange/boundary_cutting.h"
#include "gisexchange/entity_boxes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_entity.h"

namespace gisexchange {
namespace {

// Whether a member other than the entity could lie in or across the box of the entity's vertices,
// where the host looks for the curves it meets: one whose box stands clearly apart from that box
// cannot, and a member with no other neighbour needs no selection.
bool MayMeetOthers(const ads_name entity, AcDbObjectId self, const EntityBoxes& members)
{
    AcGePoint2dArray vertices;
    if (!GetCurvePoints(entity, vertices, 0) || vertices.isEmpty())
        return true;
    PlainBox box = BoxOfPoints(vertices);
    box.Expand(kSelectionReach);
    return members.MayTakeOther(box, self);
}

// A filter that lets through the members' kinds of entity on the members' layers, for the
// selections around them: the cut looks at nothing else, and the host then need not weigh the
// notes, points and houses around each member. Empty (no filter) when a kind or layer cannot be
// read or a layer's name would read as a pattern.
class MemberFilter {
public:
    explicit MemberFilter(const SortedIdSet& set)
    {
        std::set<std::string> types, layers;
        for (AcDbObjectId id : set) {
            ads_name entity{};
            std::string type, layer;
            if (acdbGetAdsName(entity, id) != Acad::eOk || !GetEntityTypeName(entity, type) ||
                !LayerOf(entity, layer) || !Plain(type) || !Plain(layer))
                return;
            types.insert(type);
            layers.insert(layer);
        }
        if (types.empty())
            return;
        types_ = Joined(types);
        layers_ = Joined(layers);
        list_.reset(acutBuildList(RTDXF0, types_.c_str(), 8, layers_.c_str(), RTNONE));
    }
    const resbuf* get() const { return list_.get(); }

private:
    // The layer's name from the entity itself; from its data (which lists every vertex) only where
    // it cannot be opened to ask.
    static bool LayerOf(const ads_name entity, std::string& layer)
    {
        {
            drawingutil::Opened<AcDbEntity> object(entity, AcDb::kForRead);
            layer = object ? LayerNameOf(object.get()) : std::string();
            if (!layer.empty())
                return true;
        }
        drawingutil::Chain data(acdbEntGet(entity));
        for (const resbuf* rb = data.get(); rb != nullptr; rb = rb->rbnext)
            if (rb->restype == 8 && rb->resval.rstring != nullptr) {
                layer = rb->resval.rstring;
                return true;
            }
        return false;
    }
    // Whether the name holds none of the characters a filter reads as a pattern (the bytes of
    // double-byte characters are all above them).
    static bool Plain(const std::string& name)
    {
        return !name.empty() && name.find_first_of("#@.*?~[]-,`") == std::string::npos;
    }
    static std::string Joined(const std::set<std::string>& names)
    {
        std::string joined;
        for (const std::string& name : names)
            joined += (joined.empty() ? "" : ",") + name;
        return joined;
    }

    std::string types_, layers_;
    drawingutil::Chain list_;
};

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
    const MemberFilter filter(set);
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
        if (MayMeetOthers(entity, set[k], memberBoxes) && SelectBoundaryCurves(entity, near, filter.get())) {
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
