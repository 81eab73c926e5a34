// AcDbDatabase::insert with a transform: a drawing brought into this one whole.
#include "database_insert.h"

#include <string>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"

using platform::cad::PeekObject;

namespace {

using IdMap = platform::cad::CopiedIds;

void CopyGroups(AcDbDatabase* target, AcDbDatabase* source, const IdMap& map) {
    auto* from = AcDbDictionary::cast(PeekObject(source->groupDictionaryId()));
    AcDbDictionary* to = nullptr;
    if (from == nullptr || target->getGroupDictionary(to, AcDb::kForWrite) != Acad::eOk)
        return;
    AcDbDictionaryIterator* it = from->newIterator(AcRx::kDictCollated);
    for (; !it->done(); it->next()) {
        auto* group = AcDbGroup::cast(PeekObject(it->objectId()));
        // A group of the same name in this drawing stays as it is.
        if (group == nullptr || (!group->isAnonymous() && to->has(it->name())))
            continue;
        auto* copy = new AcDbGroup(group->description(), group->isSelectable());
        AcDbObjectId id;
        if (to->setAt(group->isAnonymous() ? "*" : it->name(), copy, id) != Acad::eOk) {
            delete copy;
            continue;
        }
        AcDbObjectIdArray members;
        group->allEntityIds(members);
        for (const auto& member : members)
            if (AcDbObjectId found = map.Find(member); !found.isNull())
                copy->append(found);
        copy->close();
    }
    delete it;
    to->close();
}

// Copies an object of the named-objects dictionary (with what it holds) under the key.
void CopyEntry(AcDbDictionary* parent, const char* key, const AcDbObject* object, const IdMap& map) {
    auto* copy = static_cast<AcDbObject*>(object->clone());
    if (copy == nullptr)
        return;
    auto* dict = AcDbDictionary::cast(object);
    if (dict == nullptr) {
        // The fields again, references to copied entities pointing at the copies.
        AcDbDxfFiler filer;
        object->dxfOutFields(&filer);
        for (auto& tag : filer.tags())
            if (tag.kind() == platform::cad::GroupValueKind::Name)
                tag.id = map.Find(tag.id);
        if (copy->dxfInFields(&filer) != Acad::eOk) {
            delete copy;
            return;
        }
    }
    AcDbObjectId id;
    if (parent->setAt(key, copy, id) != Acad::eOk) {
        delete copy;
        return;
    }
    if (dict != nullptr) {
        auto* children = AcDbDictionary::cast(copy);
        AcDbDictionaryIterator* it = dict->newIterator(AcRx::kDictCollated);
        for (; !it->done(); it->next())
            if (const AcDbObject* child = PeekObject(it->objectId()))
                CopyEntry(children, it->name(), child, map);
        delete it;
    }
    copy->close();
}

void CopyNamedObjects(AcDbDatabase* target, AcDbDatabase* source, const IdMap& map) {
    auto* from = AcDbDictionary::cast(PeekObject(source->namedObjectsDictionaryId()));
    AcDbDictionary* to = nullptr;
    if (from == nullptr || target->getNamedObjectsDictionary(to, AcDb::kForWrite) != Acad::eOk)
        return;
    AcDbDictionaryIterator* it = from->newIterator(AcRx::kDictCollated);
    for (; !it->done(); it->next()) {
        const AcDbObject* object = PeekObject(it->objectId());
        if (object != nullptr && std::string(it->name()) != "ACAD_GROUP" && !to->has(it->name()))
            CopyEntry(to, it->name(), object, map);
    }
    delete it;
    to->close();
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::insert(const AcGeMatrix3d& xform, AcDbDatabase* source,
                                       bool preserveSourceDatabase) {
    if (source == nullptr || source == this)
        return Acad::eInvalidInput;
    if (!xform.isEqualTo(AcGeMatrix3d::kIdentity))
        return Acad::eNotImplementedYet;
    auto* table = AcDbBlockTable::cast(PeekObject(blockTable_));
    auto* sourceSpace = AcDbBlockTableRecord::cast(PeekObject(source->modelSpaceId()));
    if (table == nullptr || sourceSpace == nullptr || modelSpaceId().isNull())
        return Acad::eInvalidInput;
    AcDbBlockTableRecord* ms = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(ms, modelSpaceId(), AcDb::kForWrite);
    if (es != Acad::eOk)
        return es;
    ms->close();
    // Straight into model space, with the records and blocks the entities need. The copies number
    // at most the source's objects: room for them is made once, not by growing the table.
    objects().Reserve(source->objects().Size());
    IdMap map;
    platform::cad::CopyEntitiesInto(this, sourceSpace->entityIds(), modelSpaceId(), map,
                                    preserveSourceDatabase ? nullptr : source);
    CopyGroups(this, source, map);
    CopyNamedObjects(this, source, map);
    return Acad::eOk;
}
