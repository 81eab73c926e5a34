#include "platform/cad/db_object_iterator.h"

#include "platform/cad/db_entity.h"

AcDbObjectIterator::AcDbObjectIterator(AcDbObjectIdArray ids, std::vector<AcDbEntity*> pending)
    : ids_(std::move(ids)), pending_(std::move(pending))
{
    start();
}

int AcDbObjectIterator::Count() const { return ids_.isEmpty() ? static_cast<int>(pending_.size()) : ids_.length(); }

bool AcDbObjectIterator::visible(int index) const
{
    return ids_.isEmpty() || !ids_[index].isErased();
}

void AcDbObjectIterator::start(bool atEnd)
{
    index_ = atEnd ? Count() - 1 : 0;
    while (index_ >= 0 && index_ < Count() && !visible(index_))
        index_ += atEnd ? -1 : 1;
}

bool AcDbObjectIterator::done() const { return index_ < 0 || index_ >= Count(); }

void AcDbObjectIterator::step(bool backwards, bool skipErased)
{
    do {
        index_ += backwards ? -1 : 1;
    } while (skipErased && !done() && !visible(index_));
}

AcDbObjectId AcDbObjectIterator::objectId() const
{
    return done() || ids_.isEmpty() ? AcDbObjectId() : ids_[index_];
}

AcDbEntity* AcDbObjectIterator::entity()
{
    if (done())
        return nullptr;
    if (ids_.isEmpty())
        return pending_[static_cast<std::size_t>(index_)];
    return AcDbEntity::cast(platform::cad::PeekObject(ids_[index_]));
}

bool AcDbObjectIterator::seek(AcDbObjectId id)
{
    int i = ids_.find(id);
    if (i < 0)
        return false;
    index_ = i;
    return true;
}
