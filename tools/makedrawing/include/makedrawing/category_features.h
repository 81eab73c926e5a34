// The features the export by category looks for, drawn on a planned town: linear features,
// patch lines, ownership lines with their deduction, administrative boundary lines along the
// district sides, break points and scattered symbols.
#pragma once

#include <cstdint>

#include "makedrawing/town_plan.h"

namespace makedrawing {

// Draws from a random source of its own, so that the town itself stays as the seed makes it.
void DrawCategoryFeatures(const TownPlan& plan, std::uint64_t seed);

}  // namespace makedrawing
