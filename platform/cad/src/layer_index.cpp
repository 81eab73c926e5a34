#include "layer_index.h"

#include <algorithm>

#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_records.h"

namespace platform::cad {

std::string LayerIndex::LayerName(const ObjectStub* layer)
{
    // As an entity names its layer.
    auto* record = AcDbSymbolTableRecord::cast(PeekObject(AcDbObjectId(const_cast<ObjectStub*>(layer))));
    return record != nullptr ? record->name() : std::string();
}

std::vector<std::uint64_t> LayerIndex::SortedDistinct(std::vector<std::uint64_t> slots)
{
    std::sort(slots.begin(), slots.end());
    slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
    return slots;
}

void LayerIndex::Touch(const AcDbObject& object)
{
    if (object.isDatabaseResident() && object.database() == database_)
        Unsettle(object.objectId().stub()->index);
}

void LayerIndex::Grow(std::uint64_t slots)
{
    if (slots > isUnsettled_.size()) {
        isUnsettled_.resize(slots, 0);
        groupOf_.resize(slots, kUnlisted);
    }
}

void LayerIndex::Unsettle(std::uint64_t slot)
{
    Grow(slot + 1);
    if (!isUnsettled_[slot]) {
        isUnsettled_[slot] = 1;
        unsettled_.push_back(slot);
    }
}

bool LayerIndex::OpenForWrite(std::uint64_t slot) const
{
    // An object open for write may change further without a new announcement.
    ObjectStub* stub = database_->objects().At(slot);
    return stub != nullptr && stub->object != nullptr && stub->object->isWriteEnabled();
}

void LayerIndex::Refresh()
{
    // Slots the database gained since, also without announcing them (a drawing read in whole).
    const std::uint64_t size = database_->objects().Size();
    Grow(size);
    for (std::uint64_t slot = known_; slot < size; ++slot) {
        if (isUnsettled_[slot])
            continue;
        if (OpenForWrite(slot))
            Unsettle(slot);
        else
            Settle(slot);
    }
    known_ = std::max(known_, size);
    std::vector<std::uint64_t> open;
    for (std::uint64_t slot : unsettled_) {
        if (OpenForWrite(slot)) {
            open.push_back(slot);
            continue;
        }
        isUnsettled_[slot] = 0;
        Settle(slot);
    }
    unsettled_ = std::move(open);
}

void LayerIndex::Settle(std::uint64_t slot)
{
    ObjectStub* stub = database_->objects().At(slot);
    auto* entity = stub != nullptr ? AcDbEntity::cast(stub->object.get()) : nullptr;
    if (entity == nullptr) {
        groupOf_[slot] = kUnlisted;
        return;
    }
    const std::uint32_t group = GroupOf(entity->layerId().stub(), entity->dxfTypeName());
    if (groupOf_[slot] == group)
        return;
    groups_[group].slots.push_back(slot);
    groupOf_[slot] = group;
}

std::uint32_t LayerIndex::GroupOf(const ObjectStub* layer, const char* type)
{
    if (type == nullptr)
        type = "";
    // Most entities name their type by their class's own text: the group found last for that
    // text and layer is tried first (and its name compared, as texts of other objects may come
    // and go at the same address).
    RecentGroup& recent = recent_[(std::hash<const void*>()(layer) ^ std::hash<const void*>()(type)) % kRecent];
    if (recent.layer == layer && recent.typeText == type && groups_[recent.group].type == type)
        return recent.group;
    auto [at, added] = groupIds_.try_emplace({layer, type}, static_cast<std::uint32_t>(groups_.size()));
    if (added)
        groups_.push_back({layer, type, {}});
    recent = {layer, type, at->second};
    return at->second;
}

}  // namespace platform::cad
