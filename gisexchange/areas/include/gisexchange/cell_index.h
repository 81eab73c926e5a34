// The cell of a grid of square cells that holds a coordinate, for the point indexes of the area
// code. Far-out (or not finite) coordinates share the edge cells, which stop far short of what an
// integer holds, so that a neighbouring cell's index is still one; callers compare exactly.
#pragma once

#include <cmath>
#include <cstdint>

namespace gisexchange {

inline std::int64_t CellIndex(double value, double cell)
{
    const double at = std::floor(value / cell);
    if (!(at > -4e18))
        return static_cast<std::int64_t>(-4e18);
    if (!(at < 4e18))
        return static_cast<std::int64_t>(4e18);
    return static_cast<std::int64_t>(at);
}

}  // namespace gisexchange
