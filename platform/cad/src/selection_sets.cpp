// The store of selection sets. A set keeps its members in order with a hash of their positions, so
// that membership is O(1); deletions leave holes that are closed the next time a member is looked
// up by index, which keeps a run of deletions (removing one set from another) linear. A set made
// whole from distinct entities (what a selection returns) gets its hash only when first asked for
// membership or changed, as most are read in order and freed; a small set grown one entity at a
// time is searched in order until it is large enough for the hash to pay.
#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/selection.h"

namespace {

// Set names carry this marker where entity names carry a database serial, so the two never mix.
constexpr std::int64_t kSetMarker = -0x55AA;

struct NameKey {
    std::int64_t a, b;
    bool operator==(const NameKey& o) const { return a == o.a && b == o.b; }
};
// Member positions by name: open addressing with linear probing in a power-of-two table kept at
// most half full. A removal shifts the rest of its run back, so no slot is ever left marked dead;
// no member costs an allocation of its own.
class PositionTable {
public:
    void Reserve(std::size_t count)
    {
        if (2 * count > slots_.size())
            Rehash(CapacityFor(count));
    }
    std::size_t* Find(const NameKey& key)
    {
        if (slots_.empty())
            return nullptr;
        for (std::size_t i = Home(key);; i = Next(i)) {
            if (!slots_[i].used)
                return nullptr;
            if (slots_[i].key == key)
                return &slots_[i].position;
        }
    }
    // False, changing nothing, when the name is in already.
    bool Insert(const NameKey& key, std::size_t position)
    {
        Reserve(count_ + 1);
        std::size_t i = Home(key);
        for (; slots_[i].used; i = Next(i))
            if (slots_[i].key == key)
                return false;
        slots_[i] = {key, position, true};
        ++count_;
        return true;
    }
    bool Erase(const NameKey& key)
    {
        if (slots_.empty())
            return false;
        std::size_t hole = Home(key);
        for (;; hole = Next(hole)) {
            if (!slots_[hole].used)
                return false;
            if (slots_[hole].key == key)
                break;
        }
        // A later entry of the run moves into the hole unless its home lies between the two.
        for (std::size_t j = Next(hole); slots_[j].used; j = Next(j)) {
            const std::size_t home = Home(slots_[j].key);
            const bool staysPut = hole <= j ? (hole < home && home <= j) : (hole < home || home <= j);
            if (!staysPut) {
                slots_[hole] = slots_[j];
                hole = j;
            }
        }
        slots_[hole].used = false;
        --count_;
        return true;
    }

private:
    struct Slot {
        NameKey key;
        std::size_t position;
        bool used;
    };
    static std::size_t CapacityFor(std::size_t count)
    {
        std::size_t capacity = 16;
        while (capacity < 2 * count)
            capacity *= 2;
        return capacity;
    }
    std::size_t Home(const NameKey& key) const
    {
        std::uint64_t h = static_cast<std::uint64_t>(key.a) * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(key.b);
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
        return static_cast<std::size_t>(h) & (slots_.size() - 1);
    }
    std::size_t Next(std::size_t i) const { return (i + 1) & (slots_.size() - 1); }
    void Rehash(std::size_t capacity)
    {
        std::vector<Slot> old(capacity);
        old.swap(slots_);
        count_ = 0;
        for (const Slot& slot : old)
            if (slot.used)
                Insert(slot.key, slot.position);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// A deleted member leaves the nil name in its place, which no entity has.
bool IsHole(const NameKey& key) { return key.a == 0 && key.b == 0; }

struct SelectionSet {
    std::vector<NameKey> members;
    PositionTable position;
    std::size_t holes = 0;
    bool indexed = false;  // position holds every member; a set not indexed has no holes

    // Below this many members an added entity is looked for in order instead of hashed: most
    // sets built one entity at a time hold one entity and are freed at once.
    static constexpr std::size_t kHashFrom = 16;

    void Index()
    {
        if (indexed)
            return;
        position.Reserve(members.size());
        for (std::size_t i = 0; i < members.size(); ++i)
            position.Insert(members[i], i);
        indexed = true;
    }
    std::size_t Length() const { return members.size() - holes; }
    void Compact()
    {
        if (holes == 0)
            return;
        std::size_t out = 0;
        for (auto& m : members)
            if (!IsHole(m)) {
                *position.Find(m) = out;
                members[out++] = m;
            }
        members.resize(out);
        holes = 0;
    }
    bool Add(const NameKey& key)
    {
        if (!indexed && members.size() < kHashFrom) {
            for (const auto& m : members)
                if (m == key)
                    return false;
            members.emplace_back(key);
            return true;
        }
        Index();
        if (!position.Insert(key, members.size()))
            return false;
        members.emplace_back(key);
        return true;
    }
    bool Remove(const NameKey& key)
    {
        Index();
        std::size_t* at = position.Find(key);
        if (at == nullptr)
            return false;
        members[*at] = NameKey{0, 0};
        position.Erase(key);
        ++holes;
        return true;
    }
};

struct Store {
    std::mutex mutex;
    std::unordered_map<std::int64_t, SelectionSet> sets;
    std::int64_t next = 1;
    std::vector<NameKey> pickFirst;
};

Store& TheStore()
{
    static Store store;
    return store;
}

SelectionSet* Find(Store& store, const ads_name ss)
{
    if (ss == nullptr || ss[0] != kSetMarker)
        return nullptr;
    auto it = store.sets.find(ss[1]);
    return it == store.sets.end() ? nullptr : &it->second;
}

// An entity name the host accepts: a live, non-erased entity.
bool EntityKey(const ads_name entity, NameKey& key)
{
    AcDbObjectId id;
    if (entity == nullptr || acdbGetObjectId(id, entity) != Acad::eOk || id.isErased())
        return false;
    if (AcDbEntity::cast(platform::cad::PeekObject(id)) == nullptr)
        return false;
    key = {entity[0], entity[1]};
    return true;
}

SelectionSet* NewSet(Store& store, ads_name ss)
{
    if (store.sets.size() >= platform::cad::kMaxSelectionSets)
        return nullptr;
    std::int64_t id = store.next++;
    ss[0] = kSetMarker;
    ss[1] = id;
    return &store.sets[id];
}

}  // namespace

int acedSSAdd(const ads_name entity, const ads_name ss, ads_name result)
{
    if (result == nullptr)
        return RTERROR;
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    NameKey key{};
    bool haveEntity = entity != nullptr && !ads_name_nil(entity);
    if (haveEntity && !EntityKey(entity, key))
        return RTERROR;
    if (ss == nullptr || ads_name_nil(ss)) {
        SelectionSet* set = NewSet(store, result);
        if (set == nullptr)
            return RTERROR;
        if (haveEntity)
            set->Add(key);
        return RTNORM;
    }
    SelectionSet* set = Find(store, ss);
    if (set == nullptr)
        return RTERROR;
    if (haveEntity)
        set->Add(key);
    ads_name_set(ss, result);
    return RTNORM;
}

int acedSSDel(const ads_name entity, const ads_name ss)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    SelectionSet* set = Find(store, ss);
    if (set == nullptr || entity == nullptr)
        return RTERROR;
    return set->Remove({entity[0], entity[1]}) ? RTNORM : RTERROR;
}

int acedSSMemb(const ads_name entity, const ads_name ss)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    SelectionSet* set = Find(store, ss);
    if (set == nullptr || entity == nullptr)
        return RTERROR;
    set->Index();
    return set->position.Find({entity[0], entity[1]}) != nullptr ? RTNORM : RTERROR;
}

int acedSSLength(const ads_name ss, Adesk::Int32* length)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    SelectionSet* set = Find(store, ss);
    if (set == nullptr || length == nullptr)
        return RTERROR;
    *length = static_cast<Adesk::Int32>(set->Length());
    return RTNORM;
}

int acedSSName(const ads_name ss, Adesk::Int32 index, ads_name entity)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    SelectionSet* set = Find(store, ss);
    if (set == nullptr || entity == nullptr || index < 0)
        return RTERROR;
    set->Compact();
    if (static_cast<std::size_t>(index) >= set->members.size())
        return RTERROR;
    entity[0] = set->members[static_cast<std::size_t>(index)].a;
    entity[1] = set->members[static_cast<std::size_t>(index)].b;
    return RTNORM;
}

int acedSSFree(const ads_name ss)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (Find(store, ss) == nullptr)
        return RTERROR;
    store.sets.erase(ss[1]);
    return RTNORM;
}

int acedSSSetFirst(const ads_name pickfirst, const ads_name /*grips*/)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    if (pickfirst == nullptr || ads_name_nil(pickfirst)) {
        store.pickFirst.clear();
        return RTNORM;
    }
    SelectionSet* set = Find(store, pickfirst);
    if (set == nullptr)
        return RTERROR;
    set->Compact();
    store.pickFirst.clear();
    for (const auto& m : set->members)
        store.pickFirst.push_back(m);
    return RTNORM;
}

namespace platform::cad {

std::size_t LiveSelectionSetCount()
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    return store.sets.size();
}

std::vector<AcDbObjectId> PickFirstIds()
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    std::vector<AcDbObjectId> ids;
    for (const auto& key : store.pickFirst) {
        ads_name name{key.a, key.b};
        AcDbObjectId id;
        if (acdbGetObjectId(id, name) == Acad::eOk && !id.isErased())
            ids.push_back(id);
    }
    return ids;
}

int MakeSelectionSet(const std::vector<AcDbObjectId>& ids, ads_name ss)
{
    Store& store = TheStore();
    std::lock_guard<std::mutex> lock(store.mutex);
    SelectionSet* set = NewSet(store, ss);
    if (set == nullptr)
        return RTERROR;
    // Ids in strictly rising order are distinct: their names go in as they are.
    bool distinct = true;
    for (std::size_t i = 1; i < ids.size() && distinct; ++i)
        distinct = ids[i - 1] < ids[i];
    if (distinct)
        set->members.reserve(ids.size());
    for (const auto& id : ids) {
        ads_name name;
        if (acdbGetAdsName(name, id) != Acad::eOk)
            continue;
        if (distinct)
            set->members.emplace_back(NameKey{name[0], name[1]});
        else
            set->Add({name[0], name[1]});
    }
    return RTNORM;
}

}  // namespace platform::cad
