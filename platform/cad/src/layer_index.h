// Which entities lie on which layer and are of which type, so that a whole-drawing selection whose
// filter names layers or types reads only the entities it may pass. Kept current through the
// database's change announcements: an object announced as changing is unsettled, and a candidate
// for every layer and type, until it is read again once closed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/cad/db_observer.h"

class AcDbDatabase;

namespace platform::cad {

struct ObjectStub;

class LayerIndex : public DatabaseObserver {
public:
    explicit LayerIndex(AcDbDatabase* database) : database_(database) {}

    // Slots in rising order of every entity whose layer name and type name 'wanted' may accept
    // (called once per layer and type met): those read with such a layer and type and those not
    // settled since they changed. The caller still tests each one in full.
    template <typename Wanted>
    std::vector<std::uint64_t> Candidates(Wanted&& wanted)
    {
        Refresh();
        std::vector<std::uint64_t> found(unsettled_);
        for (std::uint32_t group = 0; group < groups_.size(); ++group)
            if (wanted(LayerName(groups_[group].layer), groups_[group].type))
                for (std::uint64_t slot : groups_[group].slots)
                    if (groupOf_[slot] == group && !isUnsettled_[slot])
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

    // The entities read with one layer and one type name.
    struct Group {
        const ObjectStub* layer;
        std::string type;
        std::vector<std::uint64_t> slots;  // a slot that moved on keeps a stale entry, skipped through groupOf_
    };
    struct GroupKeyHash {
        std::size_t operator()(const std::pair<const ObjectStub*, std::string>& key) const
        {
            return std::hash<const void*>()(key.first) * 31 ^ std::hash<std::string>()(key.second);
        }
    };
    struct RecentGroup {
        const ObjectStub* layer = nullptr;
        const char* typeText = nullptr;
        std::uint32_t group = 0;
    };
    static constexpr std::uint32_t kUnlisted = UINT32_MAX;
    static constexpr std::size_t kRecent = 64;
    std::uint32_t GroupOf(const ObjectStub* layer, const char* type);

    AcDbDatabase* database_;
    std::uint64_t known_ = 0;             // slots below have been seen
    std::vector<std::uint32_t> groupOf_;  // by slot: the group its entity is listed in, or kUnlisted
    std::vector<char> isUnsettled_;
    std::vector<std::uint64_t> unsettled_;
    std::vector<Group> groups_;
    RecentGroup recent_[kRecent];
    std::unordered_map<std::pair<const ObjectStub*, std::string>, std::uint32_t, GroupKeyHash> groupIds_;
};

}  // namespace platform::cad
