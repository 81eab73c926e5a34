// The toolkit's own way of making a text: no layer and no text style of its own, "C" centres the
// text on its baseline, and a width factor not above 0 takes the setting textfactor.
#pragma once

#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"

class AcDbGroup;

namespace cadastral {

// A new text of the height (above 0) at the position, with the feature code when not empty, on the
// drawing's current layer. Justification codes, without case: those of the library's texts and
// "C" (centre, baseline). The null id, with nothing created, for an empty text or a height not
// above 0.
AcDbObjectId CreateText(const AcGePoint3d& position, const char* text, const char* justification, const char* code,
                        double height, double rotation, double widthFactor);

// Puts such a text on the layer (created when missing) and, when one is given, into the group.
void PlaceText(AcDbObjectId text, const char* layer, AcDbGroup* group);

}  // namespace cadastral
