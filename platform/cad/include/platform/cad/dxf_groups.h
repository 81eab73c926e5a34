// The group stream of an ASCII DXF file: pairs of a code line and a value line, each pair with the
// line number of its code so that a complaint can say where the file went wrong.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::cad {

struct DxfGroup {
    int code = 0;
    int line = 0;            // line of the code, counting from 1
    std::string_view value;  // without the line end; points into the file's text
};

// Splits the text into groups, up to and with the first "0 EOF"; what follows it is not read.
// False, with error naming the line, for a code that is not a whole number or a file that ends
// between a code and its value.
bool SplitDxfGroups(std::string_view text, std::vector<DxfGroup>& groups, std::string& error);

// The value without the blanks that writers put around numbers.
std::string_view TrimDxfValue(std::string_view value);

}  // namespace platform::cad
