// The host's wild-card patterns: "*" any run, "?" any one character, "#" a digit, "@" a letter,
// "." a character that is neither, "[...]" one of the set ("[~...]" none of it, "a-z" ranges),
// "`" takes the next character literally, "~" at the start negates, "," separates alternatives.
#pragma once

#include <string_view>

namespace platform::cad {

// Case-insensitive, GBK-aware: a double-byte character is one character.
bool WildcardMatchNoCase(std::string_view text, std::string_view pattern);

}  // namespace platform::cad
