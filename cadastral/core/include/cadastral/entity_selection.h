// Selecting the features a check or repair works on, named by a filter text "type,layer;type,layer"
// (either side may be empty or hold the host's wild cards) and optionally a feature-code pattern.
#pragma once

#include <string_view>

#include "platform/cad/resbuf.h"

namespace cadastral {

// The host's selection filter for the filter text: "<or" ... "or>" around one entry per item
// (type, layer, or "<and" type layer "and>"). Null when no item gives an entry. The caller frees
// the list with acutRelRb.
resbuf* BuildEntityFilter(std::string_view filterText);

// Copies into a new output set, in order, the members of the source whose feature code matches
// the pattern (several patterns separated by "," match when any does).
void FilterSelectionByCode(const ads_name source, ads_name selection, std::string_view codePattern);

// The whole drawing ("X"), or the user's pick when pick is set, through the filter; a non-blank
// code pattern keeps only the members whose code matches. True on the host's normal answer.
bool SelectByFilter(ads_name selection, std::string_view filterText, std::string_view codePattern, bool pick);

// acedSSGet with the mode, points and filter; a non-blank code pattern (trimmed here) keeps only
// the members whose code matches. True on the host's normal answer, also when no member matched.
bool SelectWithCodePattern(const char* mode, const void* pt1, const void* pt2, const resbuf* filter,
                           std::string_view codePattern, ads_name selection);

// The whole drawing through the filter; a non-blank code keeps only the members whose feature
// code equals it exactly. True on the host's normal answer.
bool SelectByFilterAndCode(ads_name selection, std::string_view filterText, std::string_view code);

}  // namespace cadastral
