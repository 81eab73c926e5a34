// The side report of a generated drawing: what it was made from and every fault put in, by the
// handle of the entity that carries it.
#pragma once

#include <string>
#include <vector>

#include "makedrawing/options.h"
#include "makedrawing/town_drawing.h"

namespace makedrawing {

// JSON: {"seed", "parcels", "rates", "counts" (one per kind, zeros included; the overlap kinds
// only when one of their rates is above 0), "faults": [{"kind", "handle"[, "related"]}]} in
// drawing order.
std::string FaultReport(const Options& options, const std::vector<DrawnFault>& faults);

}  // namespace makedrawing
