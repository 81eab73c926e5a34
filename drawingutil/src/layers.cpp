#include "drawingutil/layers.h"

#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"

#include "drawingutil/host_objects.h"

using namespace drawingutil;

Acad::ErrorStatus EnsureLayerRecord(AcDbDatabase* db, const char* layer)
{
    if (layer == nullptr || *layer == '\0')
        return Acad::eOk;
    if (db == nullptr)
        return Acad::eNullObjectPointer;
    AcDbLayerTable* table = nullptr;
    Acad::ErrorStatus es = db->getLayerTable(table, AcDb::kForWrite);
    if (es != Acad::eOk)
        return es;
    if (!table->has(layer)) {
        auto* record = new AcDbLayerTableRecord;
        es = record->setName(layer);
        if (es == Acad::eOk)
            es = table->add(record);
        if (es == Acad::eOk)
            record->close();
        else
            delete record;
    }
    table->close();
    return es;
}

Acad::ErrorStatus EnsureLayer(AcDbEntity* entity, const char* layer)
{
    if (layer == nullptr || *layer == '\0')
        return Acad::eOk;
    if (entity == nullptr)
        return Acad::eNullEntityPointer;
    AcDbDatabase* db = entity->database() != nullptr ? entity->database()
                                                      : acdbHostApplicationServices()->workingDatabase();
    if (const Acad::ErrorStatus es = EnsureLayerRecord(db, layer); es != Acad::eOk)
        return es;
    return entity->setLayer(layer, true);
}

void SetEntityLayer(const ads_name entity, const char* layer)
{
    AcDbObjectId id;
    if (layer == nullptr || *layer == '\0' || !IdOfName(entity, id))
        return;
    Opened<AcDbEntity> object(id, AcDb::kForWrite);
    if (object)
        EnsureLayer(object.get(), layer);
}

std::string LayerNameOf(const AcDbEntity* entity)
{
    if (entity == nullptr)
        return std::string();
    char* name = entity->layer();
    std::string layer = name != nullptr ? name : "";
    acutDelString(name);
    return layer;
}
