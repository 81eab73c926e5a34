// Whether the host's crossing windows can take an entity at all: it belongs to the current space
// and shows (visible, on a layer that is on and thawed). What a whole-drawing selection holds
// beyond that, a window never selects.
#pragma once

#include "platform/cad/db_object_id.h"

namespace cadastral {

bool InSight(AcDbObjectId id);

}  // namespace cadastral
