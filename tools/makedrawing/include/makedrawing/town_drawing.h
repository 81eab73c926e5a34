// Draws a planned town into the working drawing, coded as the cadastral toolkit reads it.
#pragma once

#include <string>
#include <vector>

#include "makedrawing/options.h"
#include "makedrawing/town_plan.h"

namespace makedrawing {

// One fault as drawn: the entity that carries it and, for an extra house, the house it covers
// and for a repeated number, the point whose number it repeats.
struct DrawnFault {
    FaultKind kind;
    std::string handle;
    std::string related;
};

// Appends the town to the model space of the working drawing and sets its extents.
// With parcel groups, each parcel is grouped with the boundary points at its vertices and their
// labels; with the surveyed attributes, parcels and houses are grouped with their notes. The faults
// of the options that the plan does not hold are drawn from a random source of their own, so that
// the town stays as the seed makes it.
std::vector<DrawnFault> DrawTown(const TownPlan& plan);
std::vector<DrawnFault> DrawTown(const TownPlan& plan, const Options& options);

}  // namespace makedrawing
