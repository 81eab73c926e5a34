#include "sight_check.h"

#include "drawingutil/host_objects.h"
#include "drawingutil/selection_reach.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_entity.h"

namespace cadastral {

bool InSight(AcDbObjectId id) {
    drawingutil::Opened<AcDbEntity> entity(id, AcDb::kForRead);
    return entity && entity->ownerId() == id.database()->currentSpaceId() && drawingutil::ShownToSelection(*entity.get());
}

}  // namespace cadastral
