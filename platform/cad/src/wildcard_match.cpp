#include "wildcard_match.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text/gbk.h"

namespace platform::cad {
namespace {

using platform::text::GbkCharLength;

// One character of the text at pos (1 or 2 bytes).
std::string_view CharAt(std::string_view s, std::size_t pos)
{
    std::size_t n = GbkCharLength(s, pos);
    return s.substr(pos, n == 0 ? 1 : n);
}

bool IsSingleAlpha(std::string_view c) { return c.size() == 1 && std::isalpha(static_cast<unsigned char>(c[0])); }
bool IsSingleDigit(std::string_view c) { return c.size() == 1 && std::isdigit(static_cast<unsigned char>(c[0])); }

// "[...]" starting at p[i] == '['; sets end to the index after ']'. A set without its ']' is
// taken literally.
bool MatchClass(std::string_view p, std::size_t i, std::string_view c, std::size_t& end, bool& ok)
{
    std::size_t j = i + 1;
    bool negate = j < p.size() && p[j] == '~';
    if (negate)
        ++j;
    bool hit = false;
    bool first = true;
    while (j < p.size() && (p[j] != ']' || first)) {
        first = false;
        std::string_view a = CharAt(p, j);
        j += a.size();
        if (j + 1 < p.size() && p[j] == '-' && p[j + 1] != ']') {
            std::string_view b = CharAt(p, j + 1);
            j += 1 + b.size();
            if (c >= a && c <= b && c.size() == a.size())
                hit = true;
        } else if (c == a) {
            hit = true;
        }
    }
    if (j >= p.size()) {
        ok = false;
        return false;
    }
    ok = true;
    end = j + 1;
    return hit != negate;
}

bool MatchOne(std::string_view t, std::string_view p)
{
    // Classic backtracking over the last "*".
    std::size_t ti = 0, pi = 0;
    std::size_t starP = std::string_view::npos, starT = 0;
    while (ti < t.size()) {
        std::string_view c = CharAt(t, ti);
        bool advanced = false;
        if (pi < p.size()) {
            char pc = p[pi];
            if (pc == '*') {
                starP = ++pi;
                starT = ti;
                continue;
            }
            std::size_t next = pi + 1;
            bool match = false;
            if (pc == '?') {
                match = true;
            } else if (pc == '#') {
                match = IsSingleDigit(c);
            } else if (pc == '@') {
                match = IsSingleAlpha(c);
            } else if (pc == '.') {
                match = !IsSingleAlpha(c) && !IsSingleDigit(c);
            } else if (pc == '[') {
                bool ok = false;
                match = MatchClass(p, pi, c, next, ok);
                if (!ok) {
                    match = c == "[";
                    next = pi + 1;
                }
            } else {
                if (pc == '`' && pi + 1 < p.size())
                    ++pi;
                std::string_view lit = CharAt(p, pi);
                match = c == lit;
                next = pi + lit.size();
            }
            if (match) {
                pi = next;
                ti += c.size();
                advanced = true;
            }
        }
        if (!advanced) {
            if (starP == std::string_view::npos)
                return false;
            pi = starP;
            starT += CharAt(t, starT).size();
            ti = starT;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

// Splits at "," that is not escaped by "`" nor inside "[...]".
std::vector<std::string_view> Alternatives(std::string_view p)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    bool inClass = false;
    for (std::size_t i = 0; i < p.size();) {
        std::size_t n = GbkCharLength(p, i);
        if (n == 0)
            n = 1;
        char c = p[i];
        if (n == 1) {
            if (c == '`') {
                i += 2;
                continue;
            }
            if (c == '[')
                inClass = true;
            else if (c == ']')
                inClass = false;
            else if (c == ',' && !inClass) {
                parts.push_back(p.substr(start, i - start));
                start = i + 1;
            }
        }
        i += n;
    }
    parts.push_back(p.substr(start));
    return parts;
}

// True when no character of the alternative has a special meaning, so that it matches only
// itself.
bool IsLiteral(std::string_view alt)
{
    for (std::size_t i = 0; i < alt.size();) {
        std::size_t n = GbkCharLength(alt, i);
        if (n == 1 && std::strchr("*?#@.[`", alt[i]) != nullptr)
            return false;
        i += n;
    }
    return true;
}

}  // namespace

bool WildcardMatchNoCase(std::string_view text, std::string_view pattern)
{
    return WildcardPattern(pattern).Matches(text);
}

WildcardPattern::WildcardPattern(std::string_view pattern)
{
    const std::string p = platform::text::GbkToUpper(pattern);
    for (std::string_view alt : Alternatives(p)) {
        Alternative entry;
        entry.negate = !alt.empty() && alt[0] == '~';
        if (entry.negate)
            alt.remove_prefix(1);
        entry.text = std::string(alt);
        entry.literal = IsLiteral(alt);
        alternatives_.push_back(std::move(entry));
    }
}

bool WildcardPattern::Matches(std::string_view text) const
{
    std::string folded;
    bool isFolded = false;
    for (const Alternative& alt : alternatives_) {
        bool match;
        if (alt.literal) {
            match = text.size() == alt.text.size() && platform::text::GbkEqualNoCase(text, alt.text);
        } else {
            if (!isFolded) {
                folded = platform::text::GbkToUpper(text);
                isFolded = true;
            }
            match = MatchOne(folded, alt.text);
        }
        if (match != alt.negate)
            return true;
    }
    return false;
}

}  // namespace platform::cad
