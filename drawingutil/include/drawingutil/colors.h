// Colour indexes of entities and the host's palette.
#pragma once

#include "platform/cad/resbuf.h"

// Sets the entity's colour index (sub-entities too); nothing when it cannot be opened for write.
void SetEntityColorIndex(const ads_name entity, int colorIndex);
// For an index 0..255 the palette colour split into bytes, and the colour as
// red + green * 256 + blue * 65536; 0 with the outputs untouched for any other index.
long ColorIndexToRgb(int colorIndex, int& red, int& green, int& blue);
