// What the reader mends in a record another program wrote wrongly, as a host's audit does on
// opening a drawing: the one record is mended, a line says so, and the rest is kept as read.
#pragma once

#include <string>
#include <string_view>

#include "platform/cad/dxf_tag.h"

namespace platform::cad {

// Zero scale factors (41, 42, 43) of a block reference become 1. Whether there were any.
bool MendZeroScale(DxfTagList& tags);

// A rational SPLINE with fewer weights (41) than control points (10) gets weights of 1 for the
// control points that lack one. How many were added.
int MendMissingWeights(DxfTagList& tags);

// An ellipse written with an axis ratio (40) above 1, as some programs round a circle-like one:
// the axes are swapped (the minor axis becomes the major, the ratio its inverse) and the
// parameters (41, 42) move back a quarter turn, so the curve is the same. The ratio read, or 0
// when there was nothing to mend.
double MendEllipseAxes(DxfTagList& tags);

// Whether a name is written to a file and read back from it byte for byte.
bool NameSurvivesSaving(std::string_view name);

// The name with each character the host refuses in symbol names replaced by '_'.
std::string ReplaceRefusedCharacters(std::string_view name);

// A dimension of R12, whose kind the host keeps as raw groups, put into the subclasses later
// releases write, so that readers of those find its block, kind and points.
void AddDimensionSubclasses(DxfTagList& tags, long flags);

}  // namespace platform::cad
