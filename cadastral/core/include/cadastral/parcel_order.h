// The canonical vertex order of parcels that exports and checks expect: clockwise, starting at the
// vertex furthest towards small x and large y. Drawings made before the toolkit was installed are
// put into it once, when they first become active, and marked so that it is never repeated.
#pragma once

#include "platform/cad/resbuf.h"

namespace cadastral {

// The marker: this record in this sub-dictionary of the named-objects dictionary.
inline constexpr const char* kOrderDictionary = "x_record";
inline constexpr const char* kOrderRecord = "hasdodeasil";

// Puts one parcel (see CheckParcelPolyline) into the canonical order, each segment keeping its
// arc. False, with the parcel unchanged, for anything that is no parcel or cannot be read.
bool OrderParcelVertices(const ads_name parcel);

// What the module does when a drawing becomes active: zooms to its extents and, unless the drawing
// is marked, orders every parcel on "JZD" under the progress meter and marks the drawing.
void OrderDrawingOnActivation();

}  // namespace cadastral
