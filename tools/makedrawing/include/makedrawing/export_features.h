// What the table-driven export meets besides the town: elevation points, courtyards in houses, and
// entities it cannot convert (no code, unknown codes, areas too small).
#pragma once

#include <cstdint>
#include <vector>

#include "makedrawing/options.h"
#include "makedrawing/town_drawing.h"
#include "makedrawing/town_plan.h"

namespace makedrawing {

// Draws from a random source of its own, so that the town itself stays as the seed makes it; the
// faults are appended to those of the town.
void DrawExportFeatures(const TownPlan& plan, const Options& options, std::vector<DrawnFault>& faults);

}  // namespace makedrawing
