#include "platform/cad/object_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/cad/db_database.h"
#include "platform/cad/db_object.h"

namespace platform::cad {

ObjectStub::ObjectStub() = default;
ObjectStub::~ObjectStub() = default;

ObjectTable::ObjectTable(AcDbDatabase* database) : database_(database) {}

ObjectTable::~ObjectTable()
{
    // Objects refer to each other only through stubs; drop objects first, then stubs.
    for (auto& block : blocks_)
        for (std::size_t i = 0; i < kStubsPerBlock; ++i)
            block[i].object.reset();
}

ObjectStub* ObjectTable::NewStub()
{
    if (unusedInLastBlock_ == 0) {
        blocks_.push_back(std::make_unique<ObjectStub[]>(kStubsPerBlock));
        unusedInLastBlock_ = kStubsPerBlock;
    }
    return &blocks_.back()[kStubsPerBlock - unusedInLastBlock_--];
}

bool ObjectTable::FitsDenseTable(std::uint64_t handle) const
{
    // Room for twice the objects there are or are announced, so that the table stays at most a few
    // bytes an object however the handles were given; a small drawing gets a margin.
    const std::uint64_t reach = 2 * static_cast<std::uint64_t>(std::max(stubs_.size(), expected_)) + 4096;
    return handle < byHandle_.size() || handle <= reach;
}

void ObjectTable::FileHandle(std::uint64_t handle, ObjectStub* stub)
{
    if (!FitsDenseTable(handle)) {
        farHandles_[handle] = stub;
        return;
    }
    if (handle >= byHandle_.size())
        byHandle_.resize(handle + 1, nullptr);
    byHandle_[handle] = stub;
}

ObjectStub* ObjectTable::Add(AcDbObject* object, std::uint64_t handle)
{
    if (handle > kLargestHandle || (handle != 0 && FindHandle(handle) != nullptr))
        return nullptr;
    if (handle == 0) {
        if (seed_ <= kLargestHandle) {
            handle = seed_;
        } else {
            while (FindHandle(lowestFree_) != nullptr)
                ++lowestFree_;
            handle = lowestFree_;
        }
    }
    ObjectStub* stub = NewStub();
    stub->database = database_;
    stub->index = stubs_.size();
    stub->handle = handle;
    stub->object.reset(object);
    if (handle >= seed_)
        seed_ = handle + 1;
    FileHandle(handle, stub);
    stubs_.push_back(stub);
    ++openCount_;  // an object joins its database open for write
    return stub;
}

ObjectStub* ObjectTable::FindHandle(std::uint64_t handle) const
{
    if (handle < byHandle_.size() && byHandle_[handle] != nullptr)
        return byHandle_[handle];
    if (farHandles_.empty())
        return nullptr;
    auto it = farHandles_.find(handle);
    return it == farHandles_.end() ? nullptr : it->second;
}

void ObjectTable::SetHandleSeed(std::uint64_t seed)
{
    if (seed > seed_)
        seed_ = seed;
}

void ObjectTable::Reserve(std::size_t count)
{
    stubs_.reserve(stubs_.size() + count);
    expected_ = std::max(expected_, stubs_.size() + count);
    // A drawing being read has told its handle seed already: its handles lie below it.
    if (FitsDenseTable(seed_))
        byHandle_.reserve(seed_);
}

void ObjectTable::Absorb(ObjectTable& other)
{
    for (auto& stub : stubs_) {
        stub->erased = true;
        stub->object.reset();
    }
    byHandle_.clear();
    byHandle_.reserve(other.byHandle_.size());
    farHandles_.clear();
    expected_ = std::max(expected_, stubs_.size() + other.stubs_.size());
    for (ObjectStub* stub : other.stubs_) {
        if (stub->object == nullptr)
            continue;
        stub->database = database_;
        stub->index = stubs_.size();
        FileHandle(stub->handle, stub);
        stubs_.push_back(stub);
    }
    // The dropped objects could not be open (the caller refuses a drawing with open objects); the
    // other table's open ones come over with it.
    openCount_ = other.openCount_;
    other.openCount_ = 0;
    // The other table's blocks come first, so that this table's last block stays the one that
    // new stubs are taken from.
    std::vector<std::unique_ptr<ObjectStub[]>> blocks = std::move(other.blocks_);
    for (auto& block : blocks_)
        blocks.push_back(std::move(block));
    blocks_ = std::move(blocks);
    other.blocks_.clear();
    other.unusedInLastBlock_ = 0;
    other.stubs_.clear();
    other.byHandle_.clear();
    other.farHandles_.clear();
    if (other.seed_ > seed_)
        seed_ = other.seed_;
}

}  // namespace platform::cad

namespace {

// DERO_ID_ORDER=reversed makes ids compare against their creation order, for tests showing that
// the plug-ins take drawing order from the host and never from how ids compare: a real host
// promises no order of ids.
bool IdsCompareReversed()
{
    static const bool reversed = [] {
        const char* order = std::getenv("DERO_ID_ORDER");
        return order != nullptr && std::strcmp(order, "reversed") == 0;
    }();
    return reversed;
}

}  // namespace

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isErased() const { return stub_ != nullptr && stub_->erased; }

AcDbDatabase* AcDbObjectId::database() const { return stub_ != nullptr ? stub_->database : nullptr; }

AcDbHandle AcDbObjectId::handle() const { return stub_ != nullptr ? AcDbHandle(stub_->handle) : AcDbHandle(); }

bool AcDbObjectId::operator<(const AcDbObjectId& other) const
{
    if (stub_ == nullptr || other.stub_ == nullptr)
        return stub_ == nullptr && other.stub_ != nullptr;
    if (stub_->database != other.stub_->database)
        return stub_->database->serial() < other.stub_->database->serial();
    return IdsCompareReversed() ? other.stub_->index < stub_->index : stub_->index < other.stub_->index;
}

AcDbHandle::AcDbHandle(const char* hex)
{
    if (hex == nullptr || *hex == '\0')
        return;
    std::uint64_t v = 0;
    int digits = 0;
    for (const char* p = hex; *p != '\0'; ++p) {
        char c = *p;
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return;
        if (++digits > 16)
            return;
        v = v * 16 + static_cast<std::uint64_t>(d);
    }
    value_ = v;
}

void AcDbHandle::getIntoAsciiBuffer(char* buffer, std::size_t size) const
{
    if (buffer == nullptr || size == 0)
        return;
    std::snprintf(buffer, size, "%llX", static_cast<unsigned long long>(value_));
}

std::string AcDbHandle::text() const
{
    char buffer[17];
    getIntoAsciiBuffer(buffer, sizeof(buffer));
    return buffer;
}
