// Linetypes of entities, loaded from the host's "ACAD.LIN" when the drawing lacks them.
#pragma once

#include "platform/cad/resbuf.h"

// Gives the entity (and its sub-entities) the linetype, first loading it from "ACAD.LIN" on the
// host's search path when the drawing lacks it. Any failure ends quietly.
void EnsureLinetype(const ads_name entity, const char* linetype);
