#include "spatial_index.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "block_extents_walk.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"

namespace platform::cad {
namespace {
// How many changes wait in a list of their own before they join the overlay tree.
constexpr std::size_t kLatestBound = 64;
// An item is kept beside the tree when it is this many times as large as the middle item, ...
constexpr double kWideFactor = 32;
// ... and of those only the largest, this many plus the root of the item count.
constexpr std::size_t kMostWide = 64;

double SizeOf(const Box2d& b) { return std::max(b.maxX - b.minX, b.maxY - b.minY); }

// The nearest float at or beyond the value towards `toward` (-INFINITY or INFINITY); past the
// floats that is their end or the infinity. A value that is no number stays none.
float FloatToward(double v, float toward)
{
    const float f = static_cast<float>(std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX)));
    return (toward < 0 ? f > v : f < v) ? std::nextafter(f, toward) : f;
}

void Merge(Box2d& into, const Box2d& b)
{
    into.minX = std::min(into.minX, b.minX);
    into.minY = std::min(into.minY, b.minY);
    into.maxX = std::max(into.maxX, b.maxX);
    into.maxY = std::max(into.maxY, b.maxY);
}
}  // namespace

SpatialIndex::RoughBox SpatialIndex::RoughBox::Around(const Box2d& box)
{
    return {FloatToward(box.minX, -INFINITY), FloatToward(box.minY, -INFINITY), FloatToward(box.maxX, INFINITY),
            FloatToward(box.maxY, INFINITY)};
}

void SpatialIndex::ChildBoxes::Set(std::uint32_t k, const RoughBox& box)
{
    minX[k] = box.minX;
    minY[k] = box.minY;
    maxX[k] = box.maxX;
    maxY[k] = box.maxY;
}

std::uint32_t SpatialIndex::ChildBoxes::Meeting(const RoughBox& box) const
{
    std::uint32_t lanes = 0;
#if defined(__SSE2__)
    const __m128 lowX = _mm_set1_ps(box.minX), lowY = _mm_set1_ps(box.minY);
    const __m128 highX = _mm_set1_ps(box.maxX), highY = _mm_set1_ps(box.maxY);
    for (std::uint32_t k = 0; k < kFanOut; k += 4) {
        const __m128 inX = _mm_and_ps(_mm_cmple_ps(_mm_load_ps(minX + k), highX), _mm_cmple_ps(lowX, _mm_load_ps(maxX + k)));
        const __m128 inY = _mm_and_ps(_mm_cmple_ps(_mm_load_ps(minY + k), highY), _mm_cmple_ps(lowY, _mm_load_ps(maxY + k)));
        lanes |= static_cast<std::uint32_t>(_mm_movemask_ps(_mm_and_ps(inX, inY))) << k;
    }
#else
    for (std::uint32_t k = 0; k < kFanOut; ++k)
        lanes |= static_cast<std::uint32_t>((minX[k] <= box.maxX) & (box.minX <= maxX[k]) & (minY[k] <= box.maxY) &
                                            (box.minY <= maxY[k]))
                 << k;
#endif
    return lanes;
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
        place_.resize(slot + 1, kInTree);
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
    if ((was || present_[slot]) && built_ && place_[slot] != kInLatest && !sameBox) {
        place_[slot] = kInLatest;
        latest_.push_back(slot);
    }
}

void SpatialIndex::Grow(std::uint64_t slots)
{
    // Sized once for all the slots there are, not slot by slot as they are measured.
    if (boxes_.size() < slots) {
        boxes_.resize(slots);
        present_.resize(slots, 0);
        place_.resize(slots, kInTree);
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
    allPending_ = true;
    if (pending_.empty())
        return;
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
}

void SpatialIndex::Refresh()
{
    MeasurePending();
    std::size_t bound = 256 + 4 * static_cast<std::size_t>(std::sqrt(static_cast<double>(tree_.items.size())));
    if (!built_ || overlayTree_.items.size() + latest_.size() > bound)
        Pack();
    else if (latest_.size() > kLatestBound)
        PackOverlay();
}

void SpatialIndex::Pack()
{
    std::fill(place_.begin(), place_.end(), kInTree);
    overlayTree_.items.clear();
    overlayTree_.nodes.clear();
    overlayTree_.wide.clear();
    overlayTree_.children.clear();
    latest_.clear();
    tree_.items.clear();
    tree_.items.reserve(static_cast<std::size_t>(std::count(present_.begin(), present_.end(), 1)));
    for (std::uint64_t slot = 0; slot < boxes_.size(); ++slot)
        if (present_[slot])
            tree_.items.push_back({boxes_[slot], slot});
    built_ = true;
    tree_.Pack();
}

void SpatialIndex::PackOverlay()
{
    // The overlay tree's entries still current, and the latest changes of the indexed entities.
    std::vector<Item>& items = overlayTree_.items;
    items.insert(items.end(), overlayTree_.wide.begin(), overlayTree_.wide.end());
    items.erase(std::remove_if(items.begin(), items.end(),
                               [&](const Item& item) { return place_[item.slot] != kInOverlayTree; }),
                items.end());
    for (std::uint64_t slot : latest_) {
        place_[slot] = kInOverlayTree;
        if (present_[slot])
            items.push_back({boxes_[slot], slot});
    }
    latest_.clear();
    overlayTree_.Pack();
}

void SpatialIndex::Tree::Pack()
{
    nodes.clear();
    children.clear();
    wide.clear();
    if (items.empty())
        return;
    SetWideApart();
    // Sort-tile-recursive packing: vertical slices by x, each sorted by y.
    auto cx = [](const Box2d& b) { return b.minX + b.maxX; };
    auto cy = [](const Box2d& b) { return b.minY + b.maxY; };
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) { return cx(a.box) < cx(b.box); });
    std::size_t leaves = (items.size() + kFanOut - 1) / kFanOut;
    std::size_t slices = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(leaves))));
    std::size_t perSlice = slices * kFanOut;
    for (std::size_t s = 0; s < items.size(); s += perSlice) {
        auto end = items.begin() + static_cast<std::ptrdiff_t>(std::min(items.size(), s + perSlice));
        std::sort(items.begin() + static_cast<std::ptrdiff_t>(s), end,
                  [&](const Item& a, const Item& b) { return cy(a.box) < cy(b.box); });
    }
    ChildBoxes none;
    for (std::uint32_t k = 0; k < kFanOut; ++k)
        none.Set(k, {NAN, NAN, NAN, NAN});
    // Each node's box is the union of its children's exact boxes, widened once.
    std::vector<Box2d> exact;
    auto addNode = [&](std::size_t first, std::size_t count, bool leaf, const Box2d& box) {
        nodes.push_back({static_cast<std::uint32_t>(first), leaf});
        children.push_back(none);
        for (std::size_t k = 0; k < count; ++k)
            children.back().Set(static_cast<std::uint32_t>(k),
                                RoughBox::Around(leaf ? items[first + k].box : exact[first + k]));
        exact.push_back(box);
    };
    for (std::size_t i = 0; i < items.size(); i += kFanOut) {
        const std::size_t count = std::min<std::size_t>(kFanOut, items.size() - i);
        Box2d box = items[i].box;
        for (std::size_t k = i; k < i + count; ++k)
            Merge(box, items[k].box);
        addNode(i, count, true, box);
    }
    std::size_t levelStart = 0;
    while (nodes.size() - levelStart > 1) {
        std::size_t levelEnd = nodes.size();
        for (std::size_t i = levelStart; i < levelEnd; i += kFanOut) {
            const std::size_t count = std::min<std::size_t>(kFanOut, levelEnd - i);
            Box2d box = exact[i];
            for (std::size_t k = i; k < i + count; ++k)
                Merge(box, exact[k]);
            addNode(i, count, false, box);
        }
        levelStart = levelEnd;
    }
    if (!exact.empty())
        rootBox = RoughBox::Around(exact.back());
}

void SpatialIndex::Tree::SetWideApart()
{
    std::vector<double> sizes;
    sizes.reserve(items.size());
    for (const Item& item : items) {
        const double size = SizeOf(item.box);
        sizes.push_back(size > 0 ? size : 0);  // no number counts as none, so that all compare
    }
    auto middle = sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2);
    std::nth_element(sizes.begin(), middle, sizes.end());
    // (An item whose size is no number is never larger than the bound: it stays in the tree.)
    double bound = kWideFactor * *middle;
    const std::size_t most = kMostWide + static_cast<std::size_t>(std::sqrt(static_cast<double>(items.size())));
    const auto wideCount = static_cast<std::size_t>(
        std::count_if(items.begin(), items.end(), [&](const Item& item) { return SizeOf(item.box) > bound; }));
    if (!(bound > 0) || wideCount == 0)
        return;
    if (wideCount > most) {
        auto at = sizes.end() - static_cast<std::ptrdiff_t>(most) - 1;
        std::nth_element(sizes.begin(), at, sizes.end());
        bound = std::max(bound, *at);
    }
    auto apart = std::stable_partition(items.begin(), items.end(),
                                       [&](const Item& item) { return !(SizeOf(item.box) > bound); });
    wide.assign(apart, items.end());
    items.erase(apart, items.end());
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
    tree_.Search(box, place_, kInTree, searchStack_, found);
    overlayTree_.Search(box, place_, kInOverlayTree, searchStack_, found);
    for (std::uint64_t slot : latest_)
        if (present_[slot] && boxes_[slot].Meets(box))
            found.push_back(slot);
}

void SpatialIndex::Tree::Search(const Box2d& box, const std::vector<char>& place, Place current,
                                std::vector<std::uint32_t>& stack, std::vector<std::uint64_t>& found) const
{
    for (const Item& item : wide)
        if (item.box.Meets(box) && place[item.slot] == current)
            found.push_back(item.slot);
    const RoughBox rough = RoughBox::Around(box);
    if (nodes.empty() || !rootBox.Meets(rough))
        return;
    stack.assign(1, static_cast<std::uint32_t>(nodes.size() - 1));
    while (!stack.empty()) {
        const std::uint32_t at = stack.back();
        stack.pop_back();
        const Node& node = nodes[at];
        // Children are looked at before they are put on the stack: most of them miss.
        for (std::uint32_t lanes = children[at].Meeting(rough); lanes != 0; lanes &= lanes - 1) {
            const std::uint32_t k = node.first + static_cast<std::uint32_t>(__builtin_ctz(lanes));
            if (!node.leaf)
                stack.push_back(k);
            else if (items[k].box.Meets(box) && place[items[k].slot] == current)
                found.push_back(items[k].slot);
        }
    }
}

}  // namespace platform::cad
