// Whether the host's crossing windows can take an entity at all: it is visible, belongs to the
// current space and lies on a layer that is on and thawed. What a whole-drawing selection holds
// beyond that, a window never selects. Layers are looked up once per check's life.
#pragma once

#include <utility>
#include <vector>

#include "platform/cad/db_object_id.h"

namespace cadastral {

class SightCheck {
public:
    bool Shows(AcDbObjectId id);

private:
    std::vector<std::pair<AcDbObjectId, bool>> layers_;  // each layer seen, and whether it shows
};

}  // namespace cadastral
