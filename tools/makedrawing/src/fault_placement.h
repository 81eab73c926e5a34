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
// Moves houses over the east or west side of their parcel, where a neighbour parcel lies. Draws
// nothing from the random source at a rate of 0.
void PlaceHousesAcrossBoundaries(TownPlan& plan, const FaultRates& rates, Random& random);
// Puts patches over the blocks' patches and islands into them. Draws on the random source only
// for rates above 0.
void PlaceOverlapFaults(TownPlan& plan, const FaultRates& rates, Random& random);
// Puts three open decoys in the street south of each block (a code of another class, a code the
// table does not know, no code; the last drawn back to its first point) and draws the first open
// house back to its first point.
void PlaceTraps(TownPlan& plan, const std::vector<std::string>& houseCodes, const std::vector<std::string>& otherCodes);

}  // namespace makedrawing
