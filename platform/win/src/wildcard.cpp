#include "fold_case.h"

namespace platform::win {

bool MatchWildcard(std::u16string_view pattern, std::u16string_view text) {
    // Greedy match with one backtrack point per '*': linear in practice, never exponential.
    std::size_t p = 0, t = 0;
    std::size_t starP = std::u16string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() && (pattern[p] == u'?' || FoldChar(pattern[p]) == FoldChar(text[t]))) {
            ++p;
            ++t;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

}  // namespace platform::win
