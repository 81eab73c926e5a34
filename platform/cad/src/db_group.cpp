#include "platform/cad/db_group.h"

#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/resbuf.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDbGroup, "GROUP", AcDbObject)

AcDbGroup::AcDbGroup(const char* description, bool selectable)
    : description_(description != nullptr ? description : ""), selectable_(selectable)
{
}

std::string AcDbGroup::name() const
{
    std::string key;
    if (auto* dict = AcDbDictionary::cast(PeekObject(ownerId())))
        dict->nameAt(objectId(), key);
    return key;
}

Acad::ErrorStatus AcDbGroup::getName(char*& text) const
{
    text = nullptr;
    std::string key = name();
    if (key.empty())
        return Acad::eNotInDatabase;
    text = acutNewString(key.c_str());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::setDescription(const char* text)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    description_ = text != nullptr ? text : "";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::setSelectable(bool selectable)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    selectable_ = selectable;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::setAnonymous()
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    anonymous_ = true;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::add(Adesk::UInt32 index, AcDbObjectId id)
{
    if (id.isNull())
        return Acad::eNullObjectId;
    auto* entity = AcDbEntity::cast(PeekObject(id));
    if (entity == nullptr)
        return Acad::eNotAnEntity;
    if (isDatabaseResident() && id.database() != database())
        return Acad::eWrongDatabase;
    for (const auto& m : members_)
        if (m == id)
            return Acad::eAlreadyInGroup;
    if (index > members_.size())
        return Acad::eInvalidIndex;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    members_.insert(members_.begin() + index, id);
    // Members know their groups through a persistent reactor, which the drawing file keeps.
    if (isDatabaseResident())
        entity->addPersistentReactor(objectId());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::append(AcDbObjectId id) { return add(static_cast<Adesk::UInt32>(members_.size()), id); }

Acad::ErrorStatus AcDbGroup::append(const AcDbObjectIdArray& ids)
{
    for (const auto& id : ids) {
        Acad::ErrorStatus es = append(id);
        if (es != Acad::eOk)
            return es;
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::prepend(AcDbObjectId id) { return add(0, id); }

Acad::ErrorStatus AcDbGroup::insertAt(Adesk::UInt32 index, AcDbObjectId id) { return add(index, id); }

Acad::ErrorStatus AcDbGroup::remove(AcDbObjectId id)
{
    for (std::size_t i = 0; i < members_.size(); ++i)
        if (members_[i] == id)
            return removeAt(static_cast<Adesk::UInt32>(i));
    return Acad::eNotInGroup;
}

Acad::ErrorStatus AcDbGroup::removeAt(Adesk::UInt32 index)
{
    if (index >= members_.size())
        return Acad::eInvalidIndex;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    AcDbObjectId id = members_[index];
    members_.erase(members_.begin() + index);
    if (auto* entity = PeekObject(id))
        entity->removePersistentReactor(objectId());
    return Acad::eOk;
}

Acad::ErrorStatus AcDbGroup::clear()
{
    while (!members_.empty()) {
        Acad::ErrorStatus es = removeAt(0);
        if (es != Acad::eOk)
            return es;
    }
    return Acad::eOk;
}

Adesk::UInt32 AcDbGroup::numEntities() const
{
    Adesk::UInt32 n = 0;
    for (const auto& m : members_)
        if (!m.isErased())
            ++n;
    return n;
}

Adesk::UInt32 AcDbGroup::allEntityIds(AcDbObjectIdArray& ids) const
{
    ids.removeAll();
    for (const auto& m : members_)
        if (!m.isErased())
            ids.append(m);
    return static_cast<Adesk::UInt32>(ids.length());
}

bool AcDbGroup::has(const AcDbEntity* entity) const { return entity != nullptr && has(entity->objectId()); }

bool AcDbGroup::has(AcDbObjectId id) const
{
    if (id.isNull() || id.isErased())
        return false;
    for (const auto& m : members_)
        if (m == id)
            return true;
    return false;
}

Acad::ErrorStatus AcDbGroup::getIndex(AcDbObjectId id, Adesk::UInt32& index) const
{
    Adesk::UInt32 n = 0;
    for (const auto& m : members_) {
        if (m.isErased())
            continue;
        if (m == id) {
            index = n;
            return Acad::eOk;
        }
        ++n;
    }
    return Acad::eNotInGroup;
}

void AcDbGroup::objectAppended()
{
    // Members gathered before the group was filed learn of it now.
    for (const auto& m : members_)
        if (auto* entity = PeekObject(m))
            entity->addPersistentReactor(objectId());
}

void AcDbGroup::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbObject::dxfOutFields(filer);
    filer->writeSubclass("AcDbGroup");
    filer->writeString(300, description_);
    filer->writeInt(70, anonymous_ ? 1 : 0);
    filer->writeInt(71, selectable_ ? 1 : 0);
    for (const auto& m : members_)
        if (!m.isErased())
            filer->writeObjectId(340, m);
}

Acad::ErrorStatus AcDbGroup::dxfInFields(const AcDbDxfFiler* filer)
{
    std::vector<AcDbObjectId> members;
    bool anyMember = false;
    for (const auto& tag : filer->tags()) {
        if (tag.code != 340)
            continue;
        anyMember = true;
        if (AcDbEntity::cast(PeekObject(tag.id)) == nullptr)
            return Acad::eNotAnEntity;
        members.push_back(tag.id);
    }
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(300))
        description_ = t->text;
    if (const auto* t = filer->find(70))
        anonymous_ = t->integer != 0;
    if (const auto* t = filer->find(71))
        selectable_ = t->integer != 0;
    if (anyMember) {
        clear();
        for (const auto& id : members)
            add(static_cast<Adesk::UInt32>(members_.size()), id);
    }
    return Acad::eOk;
}
