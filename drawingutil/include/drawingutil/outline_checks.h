// Whether an entity is a usable closed outline of a feature class: its feature code fits the
// class's rule, it is a polyline, it is closed and it has more than 2 vertices. The checks only
// read the drawing; with the alert flag 1 the first failed test is named in an alert box.
#pragma once

#include <string_view>

#include "platform/cad/resbuf.h"

namespace drawingutil {

// Whether a feature code belongs to the class an outline check is for.
using OutlineCodeRule = bool (*)(std::string_view code);

// The body every outline check shares; a class only adds its code rule.
bool CheckOutlinePolyline(const ads_name entity, int alert, OutlineCodeRule rule);

}  // namespace drawingutil

// A parcel outline: the code "300000".
bool CheckParcelPolyline(const ads_name entity, int alert);
// An outline of the parcel classes: a code beginning "30000".
bool CheckBoundaryPolyline(const ads_name entity, int alert);
