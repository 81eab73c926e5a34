// Small string routines the selection helpers share: splitting at a separator and the feature-code
// wild-card match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cadastral {

// Splits at every occurrence of the separator (which may be longer than one character), keeping
// empty pieces; an empty text gives no pieces.
void SplitString(std::string_view text, std::string_view separator, std::vector<std::string>& pieces);

// The whole text against the whole pattern: "*" any run (also empty), "?" any one character,
// everything else itself, case-sensitively.
bool MatchWildcard(std::string_view pattern, std::string_view text);

// MatchWildcard on copies upper-cased in the host's code page; each side is cut at 259 bytes.
bool MatchCodePattern(std::string_view pattern, std::string_view text);

}  // namespace cadastral
