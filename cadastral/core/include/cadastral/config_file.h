// Reading one configuration table: found by its bare name with the host's file search (so without
// regard to case, along the support path), read as lines without their line ends, up to the end
// line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cadastral {

// True for a line whose first three characters are "END" in any letter case ("end of table" too).
bool IsEndLine(std::string_view line);

// The lines of a file's text up to (not including) the end line. Only a line end is removed from
// a line, a line feed or a carriage return and line feed; a last line without one stays whole, and
// a line of any length is one line. A line stops at a zero byte, as the C texts of the tables do.
// *ended, when given, tells whether the end line was there: a table without one was cut short.
std::vector<std::string> SplitConfigLines(std::string_view content, bool* ended = nullptr);

// Finds the file with acedFindFile and reads its lines as above. False, with no lines, when the
// file is not found or cannot be read.
bool ReadConfigFile(const char* bareName, std::vector<std::string>& lines, bool* ended = nullptr);

}  // namespace cadastral
