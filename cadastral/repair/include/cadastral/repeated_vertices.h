// Removing polyline vertices that repeat the vertex before them within a small distance (a closing
// vertex stored twice, a point digitised twice): the command DELELELASTSAMEPT.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/cad/ac_array.h"

namespace cadastral {

inline constexpr double kDefaultRepeatThreshold = 0.003;
inline constexpr double kMinRepeatThreshold = 1e-6;

// A vertex due for removal. With `mergeBulge` it lies on its predecessor, so the segment that
// leaves it is the real one and the nearest kept vertex before it takes its bulge; without, it is
// the last vertex of a closed ring lying on the first, and the segment into it is the real one.
struct RepeatedVertex {
    std::size_t index = 0;
    bool mergeBulge = true;
};

// The vertices closer than the threshold to their predecessor, in ascending order; the last one
// is compared with the first too when the ring is closed. The first vertex always stays, and no
// removal takes a polyline below 2 vertices (3 when closed).
std::vector<RepeatedVertex> FindRepeatedVertices(const AcGePoint2dArray& points, bool closed, double threshold);

// The command handler: every polyline of the drawing, with a threshold asked for.
void DELELELASTSAMEPT();

}  // namespace cadastral
