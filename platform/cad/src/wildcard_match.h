// The host's wild-card patterns: "*" any run, "?" any one character, "#" a digit, "@" a letter,
// "." a character that is neither, "[...]" one of the set ("[~...]" none of it, "a-z" ranges),
// "`" takes the next character literally, "~" at the start negates, "," separates alternatives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::cad {

// Case-insensitive, GBK-aware: a double-byte character is one character.
bool WildcardMatchNoCase(std::string_view text, std::string_view pattern);

// A pattern prepared once for many texts (a selection filter tests every entity of a drawing):
// case folded and split into its alternatives up front; an alternative without wild cards is a
// plain comparison.
class WildcardPattern {
public:
    explicit WildcardPattern(std::string_view pattern);
    bool Matches(std::string_view text) const;

private:
    struct Alternative {
        std::string text;  // case folded, without the leading "~"
        bool negate = false;
        bool literal = false;
    };
    std::vector<Alternative> alternatives_;
};

}  // namespace platform::cad
