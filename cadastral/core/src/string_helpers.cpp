#include "cadastral/string_helpers.h"

#include "platform/text/gbk.h"

namespace cadastral {

void SplitString(std::string_view text, std::string_view separator, std::vector<std::string>& pieces) {
    pieces.clear();
    if (text.empty()) return;
    if (separator.empty()) {
        pieces.emplace_back(text);
        return;
    }
    std::size_t from = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, from)) {
        pieces.emplace_back(text.substr(from, at - from));
        from = at + separator.size();
    }
    pieces.emplace_back(text.substr(from));
}

bool MatchWildcard(std::string_view pattern, std::string_view text) {
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t star = std::string_view::npos;  // pattern position after the last "*"
    std::size_t restart = 0;                    // text position where that "*" began to match
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = ++p;
            restart = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star;
            t = ++restart;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool MatchCodePattern(std::string_view pattern, std::string_view text) {
    // The longest pattern and code the coder's buffers hold; longer input is cut there.
    constexpr std::size_t kLimit = 259;
    std::string p = platform::text::GbkToUpper(pattern.substr(0, kLimit));
    std::string t = platform::text::GbkToUpper(text.substr(0, kLimit));
    return MatchWildcard(p, t);
}

}  // namespace cadastral
