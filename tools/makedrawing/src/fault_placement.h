// Faults put into a planned town.
#pragma once

#include "makedrawing/random.h"
#include "makedrawing/town_plan.h"

namespace makedrawing {

// Moves parcel vertices off their nodes (overlaps, gaps, slivers), then doubles vertices.
void PlaceOutlineFaults(TownPlan& plan, const FaultRates& rates, Random& random);
// Numbers the boundary points and the points of the second class, skipping and repeating
// numbers and dropping labels at the rates.
void NumberPoints(TownPlan& plan, const FaultRates& rates, Random& random);
// Leaves houses open and puts extra houses over existing ones.
void PlaceHouseFaults(TownPlan& plan, const FaultRates& rates, Random& random);

}  // namespace makedrawing
