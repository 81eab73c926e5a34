#include "platform/text/gbk.h"

namespace platform::text {
namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Maps each single-byte character and passes double-byte ones whole. The host folds the case of
// every table, dictionary and variable name it is asked for: the test of each byte is kept in line.
template <char (*Map)(char)>
std::string MapSingleBytes(std::string_view text) {
    std::string out(text);
    const std::size_t size = out.size();
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80)
            out[i] = Map(out[i]);
        else if (i + 1 < size && IsGbkLeadByte(c) && IsGbkTrailByte(static_cast<unsigned char>(out[i + 1])))
            ++i;
    }
    return out;
}

}  // namespace

bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsGbkTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

std::size_t GbkCharLength(std::string_view text, std::size_t pos) {
    if (pos + 1 < text.size() && IsGbkLeadByte(static_cast<unsigned char>(text[pos])) &&
        IsGbkTrailByte(static_cast<unsigned char>(text[pos + 1]))) {
        return 2;
    }
    return 1;
}

std::size_t GbkCharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += GbkCharLength(text, i)) ++count;
    return count;
}

bool IsGbkCharBoundary(std::string_view text, std::size_t pos) {
    if (pos > text.size()) return false;
    std::size_t i = 0;
    while (i < pos) i += GbkCharLength(text, i);
    return i == pos;
}

std::size_t GbkFitLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t n = GbkCharLength(text, i);
        if (i + n > maxBytes) break;
        i += n;
    }
    return i;
}

std::string TruncateGbk(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, GbkFitLength(text, maxBytes)));
}

std::string GbkToUpper(std::string_view text) { return MapSingleBytes<AsciiUpper>(text); }

std::string GbkToLower(std::string_view text) { return MapSingleBytes<AsciiLower>(text); }

int GbkCompareNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t na = GbkCharLength(a, i);
        std::size_t nb = GbkCharLength(b, j);
        unsigned char ca = static_cast<unsigned char>(na == 1 ? AsciiUpper(a[i]) : a[i]);
        unsigned char cb = static_cast<unsigned char>(nb == 1 ? AsciiUpper(b[j]) : b[j]);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (na == 2 && nb == 2) {
            unsigned char ta = static_cast<unsigned char>(a[i + 1]);
            unsigned char tb = static_cast<unsigned char>(b[j + 1]);
            if (ta != tb) return ta < tb ? -1 : 1;
        } else if (na != nb) {
            return na < nb ? -1 : 1;
        }
        i += na;
        j += nb;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool GbkEqualNoCase(std::string_view a, std::string_view b) {
    // Names are mostly compared with themselves as written: the same bytes need no case mapping.
    return a.size() == b.size() && (a == b || GbkCompareNoCase(a, b) == 0);
}

std::size_t GbkFind(std::string_view text, char ch, std::size_t from) {
    for (std::size_t i = from; i < text.size(); i += GbkCharLength(text, i)) {
        if (text[i] == ch && GbkCharLength(text, i) == 1) return i;
    }
    return std::string_view::npos;
}

std::size_t GbkFindLast(std::string_view text, char ch) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = GbkCharLength(text, i);
        if (n == 1 && text[i] == ch) found = i;
        i += n;
    }
    return found;
}

std::size_t GbkFindLastSeparator(std::string_view text) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = GbkCharLength(text, i);
        if (n == 1 && (text[i] == '\\' || text[i] == '/')) found = i;
        i += n;
    }
    return found;
}

}  // namespace platform::text
