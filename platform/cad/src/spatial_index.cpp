#include "spatial_index.h"

#include <algorithm>
#include <cmath>

#include "block_extents_walk.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"

namespace platform::cad {
namespace {
constexpr std::uint32_t kFanOut = 16;
}

SpatialIndex::SpatialIndex(AcDbDatabase* database) : database_(database) {}

void SpatialIndex::Touch(const AcDbObject& object)
{
    if (!object.isDatabaseResident())
        return;
    // A vertex or attribute changes the box of the entity that owns it.
    AcDbObjectId id = object.objectId();
    AcDbObjectId owner = object.ownerId();
    if (AcDbEntity::cast(&object) != nullptr && !owner.isNull() && AcDbEntity::cast(PeekObject(owner)) != nullptr)
        id = owner;
    std::uint64_t slot = id.stub()->index;
    if (slot >= isPending_.size())
        isPending_.resize(slot + 1, 0);
    if (!isPending_[slot]) {
        isPending_[slot] = 1;
        pending_.push_back(slot);
    }
}

void SpatialIndex::ObjectAppended(const AcDbObject& object) { Touch(object); }
void SpatialIndex::ObjectModified(const AcDbObject& object)
{
    // Data attached to an entity or its vertices leaves every box as it was.
    if (!object.changedOnlyXData())
        Touch(object);
}
void SpatialIndex::ObjectErased(const AcDbObject& object, bool /*erased*/) { Touch(object); }

std::uint32_t SpatialIndex::LayerNumber(const ObjectStub* layer)
{
    // Entities come layer by layer as a rule: the last layer answers most.
    if (!layers_.empty() && layers_.back() == layer)
        return static_cast<std::uint32_t>(layers_.size() - 1);
    auto [at, added] = layerNumbers_.try_emplace(layer, static_cast<std::uint32_t>(layers_.size()));
    if (added)
        layers_.push_back(layer);
    return at->second;
}

const ObjectStub* SpatialIndex::LiveLayer(std::uint64_t slot) const
{
    ObjectStub* stub = database_->objects().At(slot);
    auto* entity = stub != nullptr ? AcDbEntity::cast(stub->object.get()) : nullptr;
    return entity != nullptr ? entity->layerId().stub() : nullptr;
}

std::size_t SpatialIndex::OpenObjects() const { return database_->objects().OpenCount(); }

void SpatialIndex::Measure(std::uint64_t slot)
{
    if (slot >= boxes_.size()) {
        boxes_.resize(slot + 1);
        present_.resize(slot + 1, 0);
        inOverlay_.resize(slot + 1, 0);
        layerOf_.resize(slot + 1, 0);
    }
    bool was = present_[slot];
    const Box2d before = boxes_[slot];
    present_[slot] = 0;
    ObjectStub* stub = database_->objects().At(slot);
    auto* entity = stub != nullptr && !stub->erased ? AcDbEntity::cast(stub->object.get()) : nullptr;
    AcDbExtents ext;
    // An entity still open for write may be half built; it is measured when it is closed.
    if (entity != nullptr && entity->ownerId() == space_ && !entity->isWriteEnabled() &&
        entity->getGeomExtents(ext) == Acad::eOk && !ext.isEmpty()) {
        boxes_[slot] = {ext.minPoint().x, ext.minPoint().y, ext.maxPoint().x, ext.maxPoint().y};
        present_[slot] = 1;
        layerOf_[slot] = LayerNumber(entity->layerId().stub());
    }
    // A change that keeps the box (data attached to the entity, its layer or colour) leaves the
    // tree's entry good, so it does not count towards the next packing.
    bool sameBox = was && present_[slot] && before.minX == boxes_[slot].minX && before.minY == boxes_[slot].minY &&
                   before.maxX == boxes_[slot].maxX && before.maxY == boxes_[slot].maxY;
    if ((was || present_[slot]) && built_ && !inOverlay_[slot] && !sameBox) {
        inOverlay_[slot] = 1;
        overlay_.push_back(slot);
    }
}

void SpatialIndex::Grow(std::uint64_t slots)
{
    // Sized once for all the slots there are, not slot by slot as they are measured.
    if (boxes_.size() < slots) {
        boxes_.resize(slots);
        present_.resize(slots, 0);
        inOverlay_.resize(slots, 0);
        layerOf_.resize(slots, 0);
    }
    if (isPending_.size() < slots)
        isPending_.resize(slots, 0);
}

void SpatialIndex::MeasurePending()
{
    Grow(database_->objects().Size());
    if (!allPending_)
        for (std::uint64_t slot = 0; slot < database_->objects().Size(); ++slot)
            if (slot >= isPending_.size() || !isPending_[slot]) {
                if (slot >= isPending_.size())
                    isPending_.resize(slot + 1, 0);
                isPending_[slot] = 1;
                pending_.push_back(slot);
            }
    space_ = database_->currentSpaceId();
    std::vector<std::uint64_t> waiting;
    // Many references to the same blocks: their contents are measured once.
    BlockExtentsWalk walk;
    for (std::uint64_t slot : pending_) {
        ObjectStub* stub = database_->objects().At(slot);
        if (stub != nullptr && stub->object != nullptr && stub->object->isWriteEnabled() && !stub->erased) {
            waiting.push_back(slot);
            continue;
        }
        isPending_[slot] = 0;
        Measure(slot);
    }
    pending_ = std::move(waiting);
    allPending_ = true;
}

void SpatialIndex::Refresh()
{
    MeasurePending();
    std::size_t bound = 256 + 4 * static_cast<std::size_t>(std::sqrt(static_cast<double>(items_.size())));
    if (!built_ || overlay_.size() > bound)
        Pack();
}

void SpatialIndex::Pack()
{
    for (std::uint64_t slot : overlay_)
        inOverlay_[slot] = 0;
    overlay_.clear();
    items_.clear();
    nodes_.clear();
    items_.reserve(static_cast<std::size_t>(std::count(present_.begin(), present_.end(), 1)));
    for (std::uint64_t slot = 0; slot < boxes_.size(); ++slot)
        if (present_[slot])
            items_.push_back({boxes_[slot], slot});
    built_ = true;
    if (items_.empty())
        return;
    // Sort-tile-recursive packing: vertical slices by x, each sorted by y.
    auto cx = [](const Box2d& b) { return b.minX + b.maxX; };
    auto cy = [](const Box2d& b) { return b.minY + b.maxY; };
    std::sort(items_.begin(), items_.end(), [&](const Item& a, const Item& b) { return cx(a.box) < cx(b.box); });
    std::size_t leaves = (items_.size() + kFanOut - 1) / kFanOut;
    std::size_t slices = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(leaves))));
    std::size_t perSlice = slices * kFanOut;
    for (std::size_t s = 0; s < items_.size(); s += perSlice) {
        auto end = items_.begin() + static_cast<std::ptrdiff_t>(std::min(items_.size(), s + perSlice));
        std::sort(items_.begin() + static_cast<std::ptrdiff_t>(s), end,
                  [&](const Item& a, const Item& b) { return cy(a.box) < cy(b.box); });
    }
    auto merge = [](Box2d& into, const Box2d& b) {
        into.minX = std::min(into.minX, b.minX);
        into.minY = std::min(into.minY, b.minY);
        into.maxX = std::max(into.maxX, b.maxX);
        into.maxY = std::max(into.maxY, b.maxY);
    };
    std::size_t levelStart = 0;
    for (std::size_t i = 0; i < items_.size(); i += kFanOut) {
        Node node;
        node.first = static_cast<std::uint32_t>(i);
        node.count = static_cast<std::uint32_t>(std::min<std::size_t>(kFanOut, items_.size() - i));
        node.box = items_[i].box;
        for (std::size_t k = i; k < i + node.count; ++k)
            merge(node.box, items_[k].box);
        nodes_.push_back(node);
    }
    while (nodes_.size() - levelStart > 1) {
        std::size_t levelEnd = nodes_.size();
        for (std::size_t i = levelStart; i < levelEnd; i += kFanOut) {
            Node node;
            node.leaf = false;
            node.first = static_cast<std::uint32_t>(i);
            node.count = static_cast<std::uint32_t>(std::min<std::size_t>(kFanOut, levelEnd - i));
            node.box = nodes_[i].box;
            for (std::size_t k = i; k < i + node.count; ++k)
                merge(node.box, nodes_[k].box);
            nodes_.push_back(node);
        }
        levelStart = levelEnd;
    }
}

std::vector<std::uint64_t> SpatialIndex::Search(const Box2d& box)
{
    std::vector<std::uint64_t> found;
    found.reserve(32);  // most searches are of a small area: a few growths saved
    Search(box, found);
    return found;
}

void SpatialIndex::Search(const Box2d& box, std::vector<std::uint64_t>& found)
{
    Refresh();
    if (!nodes_.empty()) {
        std::vector<std::uint32_t>& stack = searchStack_;
        stack.assign(1, static_cast<std::uint32_t>(nodes_.size() - 1));
        while (!stack.empty()) {
            const Node& node = nodes_[stack.back()];
            stack.pop_back();
            if (!node.box.Meets(box))
                continue;
            for (std::uint32_t k = node.first; k < node.first + node.count; ++k) {
                if (!node.leaf) {
                    stack.push_back(k);
                } else if (items_[k].box.Meets(box) && !inOverlay_[items_[k].slot]) {
                    found.push_back(items_[k].slot);
                }
            }
        }
    }
    for (std::uint64_t slot : overlay_)
        if (present_[slot] && boxes_[slot].Meets(box))
            found.push_back(slot);
}

}  // namespace platform::cad
