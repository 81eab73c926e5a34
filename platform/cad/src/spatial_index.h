// The spatial index of a drawing's current space: entity boxes in a packed R-tree, kept current
// through the database's change announcements. Changed entities wait in a small overlay that is
// searched linearly; once it grows past a bound the tree is packed again, so a search costs
// O(log n + k) plus the bounded overlay.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/cad/db_observer.h"

class AcDbDatabase;
class AcDbExtents;

namespace platform::cad {

struct Box2d {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool Meets(const Box2d& o) const { return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY; }
    bool Inside(const Box2d& o) const { return minX >= o.minX && maxX <= o.maxX && minY >= o.minY && maxY <= o.maxY; }
};

class SpatialIndex : public DatabaseObserver {
public:
    explicit SpatialIndex(AcDbDatabase* database);

    // Slot numbers (creation order) of the entities whose boxes meet the box, in no set order.
    std::vector<std::uint64_t> Search(const Box2d& box);
    // The box an entity had when last measured (valid for slots Search returned).
    const Box2d& BoxOf(std::uint64_t slot) const { return boxes_[slot]; }
    // The box of every indexed entity, for the drawing's extents.
    template <typename F>
    void ForEach(F&& visit)
    {
        Refresh();
        for (std::uint64_t slot = 0; slot < boxes_.size(); ++slot)
            if (present_[slot])
                visit(slot, boxes_[slot]);
    }

    void ObjectAppended(const AcDbObject& object) override;
    void ObjectModified(const AcDbObject& object) override;
    void ObjectErased(const AcDbObject& object, bool erased) override;

private:
    struct Node {
        Box2d box;
        std::uint32_t first = 0;  // first child node, or first item for a leaf
        std::uint32_t count = 0;
        bool leaf = true;
    };
    struct Item {
        Box2d box;
        std::uint64_t slot;
    };
    void Touch(const AcDbObject& object);
    void Grow(std::uint64_t slots);
    void Refresh();
    void Measure(std::uint64_t slot);
    void Pack();

    AcDbDatabase* database_;
    std::vector<std::uint64_t> pending_;  // announced, not yet measured
    std::vector<char> isPending_;
    std::vector<Box2d> boxes_;            // current box by slot
    std::vector<char> present_;           // slot is an indexed entity now
    std::vector<char> inOverlay_;         // slot's tree entry is stale
    std::vector<std::uint64_t> overlay_;
    std::vector<Item> items_;
    std::vector<Node> nodes_;             // root last
    std::vector<std::uint32_t> searchStack_;  // kept between searches, not to allocate it each time
    bool built_ = false;
    AcDbObjectId space_;
};

}  // namespace platform::cad
