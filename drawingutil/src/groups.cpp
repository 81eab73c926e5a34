#include "drawingutil/groups.h"

#include <memory>

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
    {
        Opened<AcDbEntity> object(id, AcDb::kForRead);
        if (!object)
            return false;
    }
    Opened<AcDbDictionary> groups(id.database()->groupDictionaryId(), AcDb::kForRead);
    if (!groups)
        return false;
    std::unique_ptr<AcDbDictionaryIterator> it(groups->newIterator(AcRx::kDictCollated));
    for (; it && !it->done(); it->next()) {
        Opened<AcDbGroup> candidate(it->objectId(), AcDb::kForRead);
        if (candidate && candidate->has(id)) {
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
