// The loops of a region and the set operations on them. A region's loops are closed paths that
// neither cross nor touch one another; outer boundaries run counter-clockwise and holes clockwise,
// so that their signed areas add up to the region's area.
#pragma once

#include <vector>

#include "platform/cad/curve_path.h"

namespace platform::cad {

using RegionLoops = std::vector<CurvePath>;

enum class RegionOperation { kUnite, kIntersect, kSubtract };

// The same loop run the other way.
CurvePath ReversedLoop(const CurvePath& loop);

// The loop as a region boundary: counter-clockwise. False when it encloses no area.
bool OrientAsOuterLoop(CurvePath& loop);

// How often the loop winds round the point, counter-clockwise positive. The point must not lie
// on the loop.
int WindingNumber(const CurvePath& loop, const AcGePoint2d& point);

// True when the point lies in the region's material: inside an odd number of its loops.
bool RegionContains(const RegionLoops& loops, const AcGePoint2d& point);

// The loops of a op b. Where no boundary of a meets one of b the result is exact (arcs stay
// arcs); otherwise the areas are combined as polygons. False, with the result untouched, when
// the operation could not be carried out.
bool CombineRegionLoops(const RegionLoops& a, const RegionLoops& b, RegionOperation operation, RegionLoops& result);

// The polygon combination used where boundaries cross or touch: arcs become chords.
bool CombineRegionPolygons(const RegionLoops& a, const RegionLoops& b, RegionOperation operation, RegionLoops& result);

}  // namespace platform::cad
