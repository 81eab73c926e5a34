#include "drawing_entities.h"

#include "drawingutil/entity_types.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/selection.h"

namespace gisexchange {

std::string EntityTypeOf(const ads_name entity)
{
    AcDbObjectId id;
    AcDbEntity* object = nullptr;
    if (acdbGetObjectId(id, entity) != Acad::eOk || acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk ||
        object == nullptr)
        return {};
    const char* name = object->isA() != nullptr ? object->isA()->dxfName() : nullptr;
    std::string type = name != nullptr ? name : "";
    object->close();
    if (type.empty())
        GetEntityTypeName(entity, type);
    return type;
}

DrawingEntities DrawingEntities::SelectAll()
{
    DrawingEntities all;
    ads_name selection{};
    Adesk::Int32 count = 0;
    if (acedSSGet("X", nullptr, nullptr, nullptr, selection) != RTNORM)
        return all;
    acedSSLength(selection, &count);
    all.selected_ = static_cast<int>(count);
    all.entities_.reserve(static_cast<std::size_t>(count));
    for (Adesk::Int32 i = 0; i < count; ++i) {
        DrawingEntity entity;
        if (acedSSName(selection, i, entity.name) != RTNORM)
            continue;
        entity.type = all.Kept(EntityTypeOf(entity.name));
        all.entities_.push_back(std::move(entity));
    }
    acedSSFree(selection);
    return all;
}

const std::string& DrawingEntities::CodeOf(DrawingEntity& entity)
{
    if (entity.code == nullptr) {
        std::string code;
        GetEntityCode(entity.name, code);
        entity.code = Kept(std::move(code));
    }
    return *entity.code;
}

}  // namespace gisexchange
