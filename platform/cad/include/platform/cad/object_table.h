// The per-database table of object stubs: where ids point, what keeps handles unique and what the
// drawing reader uses to create objects under their saved handles.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/cad/db_object_id.h"

class AcDbObject;

namespace platform::cad {

// One slot per object ever added; a slot outlives the erasure of its object so that ids and entity
// names stay valid for the session.
struct ObjectStub {
    ObjectStub();
    ~ObjectStub();
    AcDbDatabase* database = nullptr;
    std::uint64_t index = 0;  // creation order in the database
    std::uint64_t handle = 0;
    std::unique_ptr<AcDbObject> object;
    bool erased = false;
};

class ObjectTable {
public:
    // The largest handle an object can have: the seed is always above every handle.
    static constexpr std::uint64_t kLargestHandle = UINT64_MAX - 1;

    explicit ObjectTable(AcDbDatabase* database);
    ~ObjectTable();
    ObjectTable(const ObjectTable&) = delete;
    ObjectTable& operator=(const ObjectTable&) = delete;

    // Takes ownership of the object under a new handle (or the given one when it is free; null when
    // it is taken or above kLargestHandle). New handles come from the seed; once the seed is past
    // the largest handle, from the lowest ones still free. The object must not be resident yet; it
    // counts as open (the database hands it back open for write).
    ObjectStub* Add(AcDbObject* object, std::uint64_t handle = 0);
    ObjectStub* FindHandle(std::uint64_t handle) const;
    ObjectStub* At(std::uint64_t index) const { return index < stubs_.size() ? stubs_[index] : nullptr; }
    std::uint64_t Size() const { return stubs_.size(); }
    // The next handle the database will give.
    std::uint64_t HandleSeed() const { return seed_; }
    void SetHandleSeed(std::uint64_t seed);
    // Room for count more objects, so that a drawing being read does not grow the table as it goes.
    void Reserve(std::size_t count);
    // Replaces every object of this table by those of other (a drawing just read). The old objects
    // are dropped and their slots stay as erased, so that ids and entity names of the replaced
    // drawing are refused rather than followed; other is left empty.
    void Absorb(ObjectTable& other);

    // How many of the objects are open now (for read or write), counted as they open and close so
    // that the question after every command needs no walk over the drawing.
    std::size_t OpenCount() const { return openCount_; }
    void NoteOpened() { ++openCount_; }
    void NoteClosed() { --openCount_; }

private:
    // Stubs are made in blocks, so that they lie side by side in the order of creation and a walk
    // over the table (a whole-drawing selection) reads them one after another.
    static constexpr std::size_t kStubsPerBlock = 256;
    ObjectStub* NewStub();
    // Handles are numbers given in turn from 1, so most are found by position in a plain table;
    // a handle far above the number of objects (a drawing that skips ranges) goes to a hash.
    bool FitsDenseTable(std::uint64_t handle) const;
    void FileHandle(std::uint64_t handle, ObjectStub* stub);

    AcDbDatabase* database_;
    std::vector<std::unique_ptr<ObjectStub[]>> blocks_;
    std::size_t unusedInLastBlock_ = 0;
    std::vector<ObjectStub*> stubs_;  // by index
    std::vector<ObjectStub*> byHandle_;  // by handle, null where none
    std::unordered_map<std::uint64_t, ObjectStub*> farHandles_;  // handles past byHandle_'s reach
    std::size_t expected_ = 0;  // objects announced by Reserve, for the reach of byHandle_
    std::size_t openCount_ = 0;
    std::uint64_t seed_ = 1;
    std::uint64_t lowestFree_ = 1;  // where the search for a free handle goes on
};

}  // namespace platform::cad

namespace platform::cad {
// The object an id holds, without opening it: for the host's own bookkeeping (sub-entity data,
// table look-ups), never handed to product code.
AcDbObject* PeekObject(AcDbObjectId id);
}  // namespace platform::cad
