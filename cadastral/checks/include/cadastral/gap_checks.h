// The gap checks: vertices of parcels, map patches or houses that come close to a neighbour's
// vertex or outline without meeting it, and vertices on a neighbour's side where the neighbour
// has no vertex. Near misses are marked by a circle on the layer "error"; every finding goes to
// the browser.
#pragma once

namespace cadastral {

inline constexpr const char* kGapMarkerLayer = "error";
inline constexpr double kGapMarkerRadius = 0.3;

// The features of the filter text whose code matches `code`, against each other with the
// tolerance (metres); `kind` 0 calls a vertex "界址点" in the findings, any other "拐点". The
// browser item is "<caption>间缝隙检查". A tolerance that is no finite number above 0 does nothing.
void CheckGaps(const char* filterText, const char* code, const char* caption, double tolerance, int kind);

// Parcels and map patches, after asking for the tolerance (Enter keeps min_dist).
void CheckZDKongXi();
void CheckTBKongXi();
// The class by a number first (0 parcels, 1 patches, 2 houses), then the tolerance.
void CheckKongXi();

}  // namespace cadastral
