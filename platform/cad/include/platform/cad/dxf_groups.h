// The group stream of an ASCII DXF file: pairs of a code line and a value line, each pair with the
// line number of its code so that a complaint can say where the file went wrong.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::cad {

// Sixteen bytes: a large drawing has tens of millions of groups, and every byte of them is
// memory the read has to clear and fill.
struct DxfGroup {
    DxfGroup() = default;
    DxfGroup(int groupCode, std::string_view text)
        : code(groupCode), size_(static_cast<std::uint32_t>(text.size())), data_(text.data()) {}

    // Without the line end; points into the file's text.
    std::string_view value() const { return {data_, size_}; }

    int code = 0;

private:
    std::uint32_t size_ = 0;
    const char* data_ = nullptr;
};

// The line of a group's code, counting from 1. Every group takes two lines, so the line follows
// from the group's place in the file's groups, of which it must be one.
inline int DxfLineOf(const std::vector<DxfGroup>& groups, const DxfGroup& group) {
    return 2 * static_cast<int>(&group - groups.data()) + 1;
}

// Splits the text into groups, up to and with the first "0 EOF"; what follows it is not read.
// False, with error naming the line, for a code that is not a whole number or a file that ends
// between a code and its value.
bool SplitDxfGroups(std::string_view text, std::vector<DxfGroup>& groups, std::string& error);

// The value without the blanks that writers put around numbers. Inline: it is asked of nearly
// every group of a file.
inline std::string_view TrimDxfValue(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    return value;
}

}  // namespace platform::cad
