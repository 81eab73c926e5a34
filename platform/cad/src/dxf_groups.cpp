#include "platform/cad/dxf_groups.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

namespace platform::cad {

namespace {
// One line without its end (LF, CR LF or a lone CR at the end of the file).
bool NextLine(std::string_view text, std::size_t& pos, std::string_view& line) {
    if (pos >= text.size())
        return false;
    std::size_t end = text.find('\n', pos);
    std::size_t stop = end == std::string_view::npos ? text.size() : end;
    line = text.substr(pos, stop - pos);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    pos = end == std::string_view::npos ? text.size() : end + 1;
    return true;
}

// The number of line feeds in the text, eight bytes at a time: a large drawing has hundreds of
// megabytes, and a byte-by-byte count costs as much as cutting the text into groups.
std::size_t CountLineFeeds(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Fu;
    constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFu;
    std::size_t count = 0;
    std::size_t pos = 0;
    while (text.size() - pos >= 8) {
        // Each byte of lanes counts the line feeds at its place in up to 255 words.
        std::uint64_t lanes = 0;
        std::size_t words = std::min<std::size_t>((text.size() - pos) / 8, 255);
        for (std::size_t w = 0; w < words; ++w, pos += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + pos, 8);
            std::uint64_t x = word ^ (kOnes * '\n');  // a zero byte where a line feed was
            // The high bit of each byte set exactly where the byte is not zero, without carries
            // between bytes.
            std::uint64_t nonZero = ((x & kLow7) + kLow7) | x;
            lanes += (~nonZero >> 7) & kOnes;
        }
        std::uint64_t pairs = (lanes & kEvenBytes) + ((lanes >> 8) & kEvenBytes);
        count += static_cast<std::size_t>((pairs * 0x0001000100010001u) >> 48);
    }
    for (; pos < text.size(); ++pos)
        count += text[pos] == '\n';
    return count;
}
}  // namespace

bool SplitDxfGroups(std::string_view text, std::vector<DxfGroup>& groups, std::string& error) {
    groups.clear();
    // Two lines a group: counting them first spares growing a vector of millions of groups.
    groups.reserve(CountLineFeeds(text) / 2 + 1);
    // A UTF-8 byte-order mark some editors put in front is not part of the first code.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t pos = 0;
    int line = 0;
    std::string_view codeLine, valueLine;
    while (NextLine(text, pos, codeLine)) {
        ++line;
        std::string_view trimmed = TrimDxfValue(codeLine);
        if (trimmed.empty() && pos >= text.size())
            break;  // a last empty line after EOF
        int code = 0;
        auto [end, ec] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), code);
        if (ec != std::errc() || end != trimmed.data() + trimmed.size() || trimmed.empty()) {
            error = "line " + std::to_string(line) + ": a group code was expected, not \"" +
                    std::string(trimmed.substr(0, 40)) + "\"";
            return false;
        }
        if (!NextLine(text, pos, valueLine)) {
            error = "line " + std::to_string(line) + ": the file ends after group code " +
                    std::to_string(code) + " without its value";
            return false;
        }
        // Nothing after the end marker belongs to the drawing: a DOS end-of-file byte, text
        // another program appended, the rest of an old file written over.
        std::string_view value = TrimDxfValue(valueLine);
        while (!value.empty() && value.back() == '\x1A')
            value.remove_suffix(1);
        if (valueLine.size() > UINT32_MAX) {
            error = "line " + std::to_string(line + 1) + ": the value of group code " + std::to_string(code) +
                    " is too long";
            return false;
        }
        if (code == 0 && value == "EOF") {
            groups.emplace_back(code, value);
            break;
        }
        groups.emplace_back(code, valueLine);
        ++line;
    }
    return true;
}

}  // namespace platform::cad
