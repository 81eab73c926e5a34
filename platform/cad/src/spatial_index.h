// The spatial index of a drawing's current space: entity boxes in a packed R-tree, kept current
// through the database's change announcements. Changed entities wait in an overlay until it grows
// past a bound and the tree is packed again. The overlay is a small packed tree of its own with the
// latest changes in a short list beside it, so that a command changing the drawing between its
// selections does not search a long list each time: a search costs O(log n + k) plus that list.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "platform/cad/db_observer.h"

class AcDbDatabase;
class AcDbExtents;

namespace platform::cad {

struct ObjectStub;

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
    // The same appended to found, so that a caller selecting again and again keeps one list.
    void Search(const Box2d& box, std::vector<std::uint64_t>& found);
    // The box an entity had when last measured (valid for slots Search returned).
    const Box2d& BoxOf(std::uint64_t slot) const { return boxes_[slot]; }
    // The box and the layer (its record's stub) of every indexed entity, for the drawing's
    // extents. While no object is open, every change has been announced and measured, so the layer
    // is the index's own and the entities are not read; otherwise an entity open for write may
    // have a new layer already, and each is asked. The tree is built on the first look at the
    // drawing, as selections follow; once built, changes waiting for the next packing go on
    // waiting, since the extents do not need the tree.
    template <typename F>
    void ForEach(F&& visit)
    {
        if (!built_)
            Refresh();
        else
            MeasurePending();
        const bool settled = OpenObjects() == 0;
        for (std::uint64_t slot = 0; slot < boxes_.size(); ++slot)
            if (present_[slot])
                visit(slot, boxes_[slot], settled ? layers_[layerOf_[slot]] : LiveLayer(slot));
    }

    void ObjectAppended(const AcDbObject& object) override;
    void ObjectModified(const AcDbObject& object) override;
    void ObjectErased(const AcDbObject& object, bool erased) override;

private:
    // A box widened to the nearest floats outside it: what a search goes down by, as a node's
    // children fit in half the memory; an item it lets through is tested again by its own box.
    struct RoughBox {
        float minX = 0, minY = 0, maxX = 0, maxY = 0;
        static RoughBox Around(const Box2d& box);
        bool Meets(const RoughBox& o) const { return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY; }
    };
    static constexpr std::uint32_t kFanOut = 16;
    // The rough boxes of a node's children side by side, coordinate by coordinate, so that one
    // search step tests all of them at once. Places without a child hold no number, which meets
    // nothing.
    struct alignas(64) ChildBoxes {
        float minX[kFanOut], minY[kFanOut], maxX[kFanOut], maxY[kFanOut];
        void Set(std::uint32_t k, const RoughBox& box);
        // Bit k set where child k meets the box.
        std::uint32_t Meeting(const RoughBox& box) const;
    };
    struct Node {
        std::uint32_t first = 0;  // first child node, or first item for a leaf
        bool leaf = true;
    };
    struct Item {
        Box2d box;
        std::uint64_t slot;
    };
    // Where a slot's entry is current: the main tree's (or the slot is not indexed), the overlay
    // tree's, or the list of the latest changes.
    enum Place : char { kInTree = 0, kInOverlayTree = 1, kInLatest = 2 };
    // A packed R-tree over items, the root last. Items far larger than most (a road or a district
    // boundary among parcels) are kept beside it in a list: in the tree each would widen its
    // leaf and every node above to its size, and every search would go down to it.
    struct Tree {
        std::vector<Item> items;
        std::vector<Node> nodes;
        std::vector<ChildBoxes> children;  // by node
        RoughBox rootBox;
        std::vector<Item> wide;
        void Pack();
        // Moves the items far larger than most from items to wide.
        void SetWideApart();
        // The slots of the items meeting the box whose place is `current`.
        void Search(const Box2d& box, const std::vector<char>& place, Place current, std::vector<std::uint32_t>& stack,
                    std::vector<std::uint64_t>& found) const;
    };
    void Touch(const AcDbObject& object);
    void Grow(std::uint64_t slots);
    void MeasurePending();
    void Refresh();
    std::uint32_t LayerNumber(const ObjectStub* layer);
    // The layer an entity has now, which may differ from the measured one while it is open.
    const ObjectStub* LiveLayer(std::uint64_t slot) const;
    std::size_t OpenObjects() const;
    void Measure(std::uint64_t slot);
    void Pack();
    void PackOverlay();

    AcDbDatabase* database_;
    std::vector<std::uint64_t> pending_;  // announced, not yet measured
    std::vector<char> isPending_;
    std::vector<Box2d> boxes_;            // current box by slot
    std::vector<char> present_;           // slot is an indexed entity now
    std::vector<std::uint32_t> layerOf_;  // by slot: the entity's layer as a number into layers_
    std::vector<const ObjectStub*> layers_;  // the layers entities were measured on
    std::unordered_map<const ObjectStub*, std::uint32_t> layerNumbers_;
    std::vector<char> place_;             // by slot: a Place
    Tree tree_;
    Tree overlayTree_;
    std::vector<std::uint64_t> latest_;   // the slots in the latest changes
    std::vector<std::uint32_t> searchStack_;  // kept between searches, not to allocate it each time
    bool built_ = false;
    bool allPending_ = false;  // every slot has been measured once
    AcDbObjectId space_;
};

}  // namespace platform::cad
