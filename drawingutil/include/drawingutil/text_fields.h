// Fields of comma-separated configuration lines, and text predicates for list searches.
#pragma once

#include <string>

// The number of commas in the text (0 for an empty or null text).
int CountCommas(const char* text);
// The first field: leading blanks skipped, then everything up to the first comma, line feed,
// blank or the end. The empty text when the line starts with a comma.
void CopyFirstField(const char* line, std::string& field);
// Byte-wise equality of two texts (null counts as empty), and its negation.
bool StringEquals(const char* text, const char* element);
bool StringDiffers(const char* text, const char* element);
