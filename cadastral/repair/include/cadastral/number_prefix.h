// Removing the number prefix of boundary points ("J" of "J12"): the command DELETEJZDPRE.
#pragma once

#include <string>
#include <string_view>

namespace cadastral {

// The part of the text after its last ASCII letter, or the whole text when it has none. The text is
// GBK: a trail byte that looks like a letter is part of its character, not a letter.
void StripNumberPrefix(std::string_view text, std::string& out);

// The command handler: the boundary points and labels the user selects.
void DELETEJZDPRE();

}  // namespace cadastral
