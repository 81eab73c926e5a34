// Coordinate system transformations between an entity's own system (ECS, from its normal by the
// arbitrary-axis rule), the world (WCS) and the working drawing's user system (UCS).
#pragma once

#include "platform/cad/resbuf.h"

// Each returns RTNORM, or RTERROR for a zero normal. disp true transforms a displacement.
int acdbEcs2Wcs(const ads_point p, ads_point q, const ads_point normal, bool disp);
int acdbWcs2Ecs(const ads_point p, ads_point q, const ads_point normal, bool disp);
int acdbUcs2Wcs(const ads_point p, ads_point q, bool disp);
int acdbWcs2Ucs(const ads_point p, ads_point q, bool disp);
int acdbEcs2Ucs(const ads_point p, ads_point q, const ads_point normal, bool disp);
int acdbUcs2Ecs(const ads_point p, ads_point q, const ads_point normal, bool disp);
