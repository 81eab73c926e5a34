#include "drawingutil/blocks.h"

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"

bool AppendToModelSpace(AcDbEntity* entity, AcDbObjectId& id)
{
    if (entity == nullptr)
        return false;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk)
        return false;
    AcDbBlockTableRecord* space = nullptr;
    Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, space, AcDb::kForWrite);
    table->close();
    if (es != Acad::eOk)
        return false;
    AcDbObjectId appended;
    es = space->appendAcDbEntity(appended, entity);
    space->close();
    if (es != Acad::eOk)
        return false;
    id = appended;
    return true;
}
