#include "platform/cad/dxf_groups.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>

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
    std::size_t count = 0;
    std::size_t pos = 0;
    for (; pos + 8 <= text.size(); pos += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + pos, 8);
        std::uint64_t x = word ^ (kOnes * '\n');  // a zero byte where a line feed was
        // The high bit of each byte set exactly where the byte is not zero, without carries
        // between bytes.
        std::uint64_t nonZero = (((x & kLow7) + kLow7) | x) & ~kLow7;
        count += 8 - static_cast<std::size_t>(std::popcount(nonZero));
    }
    for (; pos < text.size(); ++pos)
        count += text[pos] == '\n';
    return count;
}

// The groups of a large drawing take hundreds of megabytes, touched once in order: in large pages
// the kernel maps them with a fault every 2 MB rather than every 4 KB. Only a hint.
void AskForLargePages(void* data, std::size_t bytes) {
    constexpr std::uintptr_t kLarge = 2u << 20;
    auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
}  // namespace

std::string_view TrimDxfValue(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    return value;
}

bool SplitDxfGroups(std::string_view text, std::vector<DxfGroup>& groups, std::string& error) {
    groups.clear();
    // Two lines a group: counting them first spares growing a vector of millions of groups.
    groups.reserve(CountLineFeeds(text) / 2 + 1);
    AskForLargePages(groups.data(), groups.capacity() * sizeof(DxfGroup));
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
