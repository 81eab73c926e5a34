// Random simple rings with whole-number vertices, for the comparisons with GEOS.
#pragma once

#include <cmath>
#include <numbers>
#include <random>

#include "geos_reference.h"
#include "platform/cad/ac_array.h"

namespace gisexchange::reference {

// A star-shaped ring around (cx, cy) with 3 to `maxVertices` whole-number vertices at radii up to
// `radius`, counter-clockwise; only rings GEOS finds valid are returned.
inline AcGePoint2dArray RandomGridRing(std::mt19937& random, double cx, double cy, double radius, int maxVertices)
{
    std::uniform_int_distribution<int> count(3, maxVertices);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    while (true) {
        int n = count(random);
        AcGePoint2dArray ring;
        for (int i = 0; i < n; ++i) {
            double angle = 2 * std::numbers::pi * (i + 0.8 * unit(random)) / n;
            double r = radius * (0.3 + 0.7 * unit(random));
            AcGePoint2d p(std::round(cx + r * std::cos(angle)), std::round(cy + r * std::sin(angle)));
            if (ring.isEmpty() || ring.last().distanceTo(p) > 0.5)
                ring.append(p);
        }
        if (ring.length() >= 3 && ring.first().distanceTo(ring.last()) > 0.5 && GeosValidRing(ring))
            return ring;
    }
}

}  // namespace gisexchange::reference
