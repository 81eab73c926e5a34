// Case folding for Windows names: ASCII letters only, as the GBK helpers do, so that the file
// names, key names and wildcards of this stand-in agree with each other.
#pragma once

#include <string>
#include <string_view>

namespace platform::win {

inline char16_t FoldChar(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }
inline char FoldChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

template <typename Char>
std::basic_string<Char> FoldCase(std::basic_string_view<Char> text) {
    std::basic_string<Char> out(text);
    for (auto& c : out) c = FoldChar(c);
    return out;
}

template <typename Char>
bool EqualNoCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldChar(a[i]) != FoldChar(b[i])) return false;
    }
    return true;
}

// '*' matches any run of characters, '?' exactly one; letters compare without case.
bool MatchWildcard(std::u16string_view pattern, std::u16string_view text);

}  // namespace platform::win
