#include "drawingutil/linetypes.h"

#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/file_search.h"

#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

// The linetype's id in the database, loading it from the host's linetype file when missing.
AcDbObjectId FindOrLoadLinetype(AcDbDatabase* db, const char* linetype)
{
    AcDbObjectId id;
    {
        Opened<AcDbLinetypeTable> table(db->linetypeTableId(), AcDb::kForRead);
        if (!table)
            return {};
        if (table->getAt(linetype, id) == Acad::eOk)
            return id;
    }
    char path[260] = {};
    if (acedFindFile("ACAD.LIN", path, sizeof path) != RTNORM || db->loadLineTypeFile(linetype, path) != Acad::eOk)
        return {};
    Opened<AcDbLinetypeTable> table(db->linetypeTableId(), AcDb::kForRead);
    if (!table || table->getAt(linetype, id) != Acad::eOk)
        return {};
    return id;
}

}  // namespace

void EnsureLinetype(const ads_name entity, const char* linetype)
{
    AcDbObjectId id;
    if (linetype == nullptr || *linetype == '\0' || !IdOfName(entity, id))
        return;
    AcDbObjectId linetypeId = FindOrLoadLinetype(id.database(), linetype);
    if (linetypeId.isNull())
        return;
    Opened<AcDbEntity> object(id, AcDb::kForWrite);
    if (object)
        object->setLinetype(linetypeId, true);
}
