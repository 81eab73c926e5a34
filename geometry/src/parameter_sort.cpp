#include "geometry/parameter_sort.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace geometry {

void SortParameters(DoubleList& params, PointList& points) {
    if (params.size() != points.size() || params.size() < 2) return;
    std::vector<size_t> order(params.size());
    std::iota(order.begin(), order.end(), size_t{0});
    // A total order even with NaN, so the sort can never run past its range.
    std::sort(order.begin(), order.end(), [&](size_t i, size_t j) {
        const double a = params[i];
        const double b = params[j];
        if (std::isnan(a)) return false;
        return std::isnan(b) || a < b;
    });
    DoubleList sortedParams(params.size());
    PointList sortedPoints(points.size());
    for (size_t k = 0; k < order.size(); ++k) {
        sortedParams[k] = params[order[k]];
        sortedPoints[k] = points[order[k]];
    }
    params.swap(sortedParams);
    points.swap(sortedPoints);
}

}  // namespace geometry
