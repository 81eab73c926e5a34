#include "platform/cad/db_sub_entities.h"

#include "platform/cad/db_database.h"
#include "platform/cad/db_vertex.h"

namespace platform::cad {

SubEntityList::SubEntityList(const SubEntityList& other)
{
    // A copy holds copies of the sub-entities, not yet resident.
    for (const AcDbEntity* e : other.Entities())
        pending_.emplace_back(static_cast<AcDbEntity*>(e->clone()));
}

Acad::ErrorStatus SubEntityList::Insert(AcDbObject* owner, int pos, AcDbEntity* entity, AcDbObjectId& id)
{
    id.setNull();
    if (entity == nullptr)
        return Acad::eNullEntityPointer;
    if (entity->isDatabaseResident())
        return Acad::eAlreadyInDb;
    if (pos < 0 || pos > Size())
        return Acad::eInvalidIndex;
    if (!owner->isDatabaseResident()) {
        pending_.insert(pending_.begin() + pos, std::unique_ptr<AcDbEntity>(entity));
        return Acad::eOk;
    }
    if (auto* ownerEntity = AcDbEntity::cast(owner); ownerEntity != nullptr && entity->layerId().isNull())
        entity->setPropertiesFrom(ownerEntity, false);
    entity->setOwnerId(owner->objectId());
    Acad::ErrorStatus es = owner->database()->addAcDbObject(id, entity);
    if (es != Acad::eOk)
        return es;
    ids_.insert(ids_.begin() + pos, id);
    if (seqend_.isNull())
        AddEnd(owner);
    return Acad::eOk;
}

void SubEntityList::InsertEach(AcDbObject* owner, const std::vector<std::pair<int, AcDbEntity*>>& entries,
                               std::vector<Acad::ErrorStatus>& statuses, std::vector<AcDbObjectId>& ids)
{
    statuses.assign(entries.size(), Acad::eOk);
    ids.assign(entries.size(), AcDbObjectId());
    const bool resident = owner->isDatabaseResident();
    const std::size_t oldSize = resident ? ids_.size() : pending_.size();
    std::vector<AcDbObjectId> mergedIds;
    std::vector<std::unique_ptr<AcDbEntity>> mergedPending;
    if (resident)
        mergedIds.reserve(oldSize + entries.size());
    else
        mergedPending.reserve(oldSize + entries.size());
    std::size_t taken = 0;  // entries of the old list moved over so far
    auto takeUpTo = [&](std::size_t end) {
        for (; taken < end; ++taken)
            if (resident)
                mergedIds.push_back(ids_[taken]);
            else
                mergedPending.push_back(std::move(pending_[taken]));
    };
    auto* ownerEntity = AcDbEntity::cast(owner);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const auto [pos, entity] = entries[k];
        if (entity == nullptr) {
            statuses[k] = Acad::eNullEntityPointer;
            continue;
        }
        if (entity->isDatabaseResident()) {
            statuses[k] = Acad::eAlreadyInDb;
            continue;
        }
        if (pos < 0 || static_cast<std::size_t>(pos) < taken || static_cast<std::size_t>(pos) > oldSize) {
            statuses[k] = Acad::eInvalidIndex;
            continue;
        }
        takeUpTo(static_cast<std::size_t>(pos));
        if (!resident) {
            mergedPending.emplace_back(entity);
            continue;
        }
        if (ownerEntity != nullptr && entity->layerId().isNull())
            entity->setPropertiesFrom(ownerEntity, false);
        entity->setOwnerId(owner->objectId());
        statuses[k] = owner->database()->addAcDbObject(ids[k], entity);
        if (statuses[k] != Acad::eOk) {
            ids[k].setNull();
            continue;
        }
        mergedIds.push_back(ids[k]);
        if (seqend_.isNull())
            AddEnd(owner);
    }
    takeUpTo(oldSize);
    if (resident)
        ids_ = std::move(mergedIds);
    else
        pending_ = std::move(mergedPending);
}

std::vector<const AcDbEntity*> SubEntityList::Entities() const
{
    std::vector<const AcDbEntity*> list;
    for (const auto& id : ids_)
        if (!id.isErased())
            if (auto* e = AcDbEntity::cast(PeekObject(id)))
                list.push_back(e);
    for (const auto& e : pending_)
        list.push_back(e.get());
    return list;
}

AcDbObjectIdArray SubEntityList::Ids(bool withErased) const
{
    AcDbObjectIdArray ids;
    for (const auto& id : ids_)
        if (withErased || !id.isErased())
            ids.append(id);
    return ids;
}

std::vector<AcDbEntity*> SubEntityList::PendingEntities() const
{
    std::vector<AcDbEntity*> list;
    for (const auto& e : pending_)
        list.push_back(e.get());
    return list;
}

int SubEntityList::IndexOf(AcDbObjectId id) const
{
    for (std::size_t i = 0; i < ids_.size(); ++i)
        if (ids_[i] == id)
            return static_cast<int>(i);
    return -1;
}

int SubEntityList::Size() const { return static_cast<int>(ids_.size() + pending_.size()); }

void SubEntityList::AddEnd(AcDbObject* owner)
{
    auto* end = new AcDbSequenceEnd;
    if (auto* ownerEntity = AcDbEntity::cast(owner))
        end->setPropertiesFrom(ownerEntity, false);
    end->setOwnerId(owner->objectId());
    if (owner->database()->addAcDbObject(seqend_, end) == Acad::eOk)
        end->close();
    else
        delete end;
}

void SubEntityList::MakeResident(AcDbObject* owner, bool withEnd)
{
    auto* ownerEntity = AcDbEntity::cast(owner);
    for (auto& e : pending_) {
        AcDbEntity* entity = e.release();
        if (ownerEntity != nullptr && (entity->layerId().isNull() || entity->layerId().database() != owner->database()))
            entity->setPropertiesFrom(ownerEntity, false);
        entity->setOwnerId(owner->objectId());
        AcDbObjectId id;
        if (owner->database()->addAcDbObject(id, entity) == Acad::eOk) {
            entity->close();
            ids_.push_back(id);
        } else {
            delete entity;
        }
    }
    pending_.clear();
    if (withEnd && seqend_.isNull())
        AddEnd(owner);
}

void SubEntityList::Clear(AcDbObject* /*owner*/)
{
    for (const auto& id : ids_) {
        AcDbObject* obj = nullptr;
        if (acdbOpenAcDbObject(obj, id, AcDb::kForWrite) == Acad::eOk) {
            obj->erase();
            obj->close();
        }
    }
    ids_.clear();
    pending_.clear();
}

const AcDbEntity* SubEntityList::At(int pos) const
{
    if (pos < 0 || pos >= Size())
        return nullptr;
    if (!pending_.empty())
        return pending_[static_cast<std::size_t>(pos)].get();
    return AcDbEntity::cast(PeekObject(ids_[static_cast<std::size_t>(pos)]));
}

Acad::ErrorStatus SubEntityList::Adopt(AcDbObject* owner, AcDbObjectId id)
{
    auto* entity = AcDbEntity::cast(PeekObject(id));
    if (entity == nullptr)
        return Acad::eNotAnEntity;
    if (id.database() != owner->database() || !pending_.empty())
        return Acad::eWrongDatabase;
    entity->setOwnerId(owner->objectId());
    if (AcDbSequenceEnd::cast(entity) == nullptr) {
        ids_.push_back(id);
        return Acad::eOk;
    }
    // The owner made a marker of its own when it became resident; the one read takes its place.
    if (!seqend_.isNull() && seqend_ != id) {
        AcDbObject* made = nullptr;
        if (acdbOpenAcDbObject(made, seqend_, AcDb::kForWrite) == Acad::eOk) {
            made->erase();
            made->close();
        }
    }
    seqend_ = id;
    return Acad::eOk;
}

void SubEntityList::Remove(int pos)
{
    if (pos < 0 || pos >= Size())
        return;
    if (!pending_.empty()) {
        pending_.erase(pending_.begin() + pos);
        return;
    }
    AcDbObjectId id = ids_[static_cast<std::size_t>(pos)];
    AcDbObject* obj = nullptr;
    if (!id.isErased() && acdbOpenAcDbObject(obj, id, AcDb::kForWrite) == Acad::eOk) {
        obj->erase();
        obj->close();
    }
    ids_.erase(ids_.begin() + pos);
}

}  // namespace platform::cad
