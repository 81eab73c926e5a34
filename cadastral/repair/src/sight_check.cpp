#include "sight_check.h"

#include "drawingutil/host_objects.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/db_symbol_records.h"

namespace cadastral {

bool SightCheck::Shows(AcDbObjectId id) {
    AcDbObjectId layerId;
    {
        drawingutil::Opened<AcDbEntity> entity(id, AcDb::kForRead);
        if (!entity || entity->visibility() != AcDb::kVisible || entity->ownerId() != id.database()->currentSpaceId())
            return false;
        layerId = entity->layerId();
    }
    for (const auto& [known, shown] : layers_)
        if (known == layerId) return shown;
    drawingutil::Opened<AcDbLayerTableRecord> layer(layerId, AcDb::kForRead);
    const bool shown = layer && !layer->isOff() && !layer->isFrozen();
    layers_.emplace_back(layerId, shown);
    return shown;
}

}  // namespace cadastral
