// Which entities lie on which layer, so that a whole-drawing selection whose filter names layers
// reads only the entities of those layers. Kept current through the database's change
// announcements: an object announced as changing is unsettled, and a candidate for every layer,
// until it is read again once closed.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/cad/db_observer.h"

class AcDbDatabase;

namespace platform::cad {

struct ObjectStub;

class LayerIndex : public DatabaseObserver {
public:
    explicit LayerIndex(AcDbDatabase* database) : database_(database) {}

    // Slots in rising order of every entity that may lie on a layer whose name 'wanted' accepts:
    // those read on such a layer and those not settled since they changed. The caller still
    // tests each one in full.
    template <typename Wanted>
    std::vector<std::uint64_t> Candidates(Wanted&& wanted)
    {
        Refresh();
        std::vector<std::uint64_t> found(unsettled_);
        for (const auto& [layer, slots] : slotsOn_)
            if (wanted(LayerName(layer)))
                for (std::uint64_t slot : slots)
                    if (listed_[slot] && layerOf_[slot] == layer && !isUnsettled_[slot])
                        found.push_back(slot);
        return SortedDistinct(std::move(found));
    }

    void ObjectAppended(const AcDbObject& object) override { Touch(object); }
    void ObjectWillBeModified(const AcDbObject& object) override { Touch(object); }
    void ObjectModified(const AcDbObject& object) override { Touch(object); }
    void ObjectErased(const AcDbObject& object, bool /*erased*/) override { Touch(object); }

private:
    static std::string LayerName(const ObjectStub* layer);
    static std::vector<std::uint64_t> SortedDistinct(std::vector<std::uint64_t> slots);
    void Touch(const AcDbObject& object);
    void Grow(std::uint64_t slots);
    void Unsettle(std::uint64_t slot);
    bool OpenForWrite(std::uint64_t slot) const;
    void Refresh();
    void Settle(std::uint64_t slot);

    AcDbDatabase* database_;
    std::uint64_t known_ = 0;                  // slots below have been seen
    std::vector<const ObjectStub*> layerOf_;   // by slot: the layer its entity was read on
    std::vector<char> listed_;                 // by slot: an entity listed under layerOf_
    std::vector<char> isUnsettled_;
    std::vector<std::uint64_t> unsettled_;
    // Slots by layer; a slot that moved on keeps a stale entry, skipped through layerOf_.
    std::unordered_map<const ObjectStub*, std::vector<std::uint64_t>> slotsOn_;
};

}  // namespace platform::cad
