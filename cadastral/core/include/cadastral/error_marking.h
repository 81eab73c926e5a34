// Marking entities a check found wrong, so that they stand out in the drawing and can be selected
// again: the check-marker feature code, the layer "ERROR" and colour 3.
#pragma once

#include "platform/cad/db_object_id.h"

namespace cadastral {

inline constexpr const char* kErrorMarkerCode = "444400";
inline constexpr const char* kErrorLayer = "ERROR";
inline constexpr int kErrorColorIndex = 3;

// Writes the marker code as the entity's feature code under "MIRET" (its other items stay), moves it
// to "ERROR" (created when missing) and colours it 3. An entity that cannot be opened is left alone.
void MarkErrorEntity(AcDbObjectId id);
// MarkErrorEntity for each id, in order.
void MarkErrorEntities(const AcDbObjectIdArray& ids);

}  // namespace cadastral
