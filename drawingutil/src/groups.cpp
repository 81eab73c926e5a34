#include "drawingutil/groups.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_group.h"

#include "drawingutil/host_objects.h"

using namespace drawingutil;

bool FindEntityGroup(const ads_name entity, AcDbObjectId& group)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    // A member knows its groups through its persistent reactors, so only those are opened, not
    // every group of the drawing.
    Opened<AcDbEntity> object(id, AcDb::kForRead);
    if (!object)
        return false;
    AcDbObjectIdArray reactors;
    if (const AcDbVoidPtrArray* all = object->reactors())
        for (int i = 0; i < all->length(); ++i)
            if (acdbIsPersistentReactor((*all)[i]))
                reactors.append(acdbPersistentReactorObjectId((*all)[i]));
    const AcDbObjectId dictionary = id.database()->groupDictionaryId();
    std::vector<AcDbObjectId> candidates;
    for (int i = 0; i < reactors.length(); ++i) {
        Opened<AcDbGroup> candidate(reactors[i], AcDb::kForRead);
        if (candidate && candidate->ownerId() == dictionary && candidate->has(object.get()))
            candidates.push_back(reactors[i]);
    }
    object.close();
    if (candidates.size() <= 1) {
        if (candidates.empty())
            return false;
        group = candidates.front();
        return true;
    }
    // Several groups: the first in the dictionary's order answers, as callers have always had it.
    Opened<AcDbDictionary> groups(dictionary, AcDb::kForRead);
    if (!groups)
        return false;
    std::unique_ptr<AcDbDictionaryIterator> it(groups->newIterator(AcRx::kDictCollated));
    for (; it && !it->done(); it->next()) {
        if (std::find(candidates.begin(), candidates.end(), it->objectId()) != candidates.end()) {
            group = it->objectId();
            return true;
        }
    }
    return false;
}

bool CreateEntityGroup(const ads_name entity, AcDbObjectId& group)
{
    if (FindEntityGroup(entity, group))
        return true;
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbDictionary> groups(id.database()->groupDictionaryId(), AcDb::kForWrite);
    if (!groups)
        return false;
    auto* created = new AcDbGroup("", true);
    AcDbObjectId createdId;
    if (groups->setAt("*", created, createdId) != Acad::eOk) {
        delete created;
        return false;
    }
    Acad::ErrorStatus es = created->append(id);
    created->close();
    if (es != Acad::eOk) {
        // A group that could not take the entity is not left behind empty.
        groups->remove(createdId);
        Opened<AcDbGroup> failed(createdId, AcDb::kForWrite);
        if (failed)
            failed->erase();
        return false;
    }
    group = createdId;
    return true;
}
