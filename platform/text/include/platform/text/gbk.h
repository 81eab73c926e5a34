// GBK-aware byte-string helpers.
//
// In GBK a character is one byte (0x00-0x80, 0xFF) or a lead byte 0x81-0xFE followed by a trail byte
// 0x40-0x7E or 0x80-0xFE. Trail bytes can look like ASCII letters, '\\' or '/', so every search,
// case mapping or cut walks the text from its start, character by character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::text {

bool IsGbkLeadByte(unsigned char c);
bool IsGbkTrailByte(unsigned char c);

// Length in bytes (1 or 2) of the character starting at pos. A lead byte without a valid trail
// byte after it counts as a character of its own.
std::size_t GbkCharLength(std::string_view text, std::size_t pos);

// Number of characters (not bytes).
std::size_t GbkCharCount(std::string_view text);

// True when pos (0..size) does not fall between the two bytes of one character.
bool IsGbkCharBoundary(std::string_view text, std::size_t pos);

// The largest character boundary that is <= maxBytes.
std::size_t GbkFitLength(std::string_view text, std::size_t maxBytes);

// The text cut to at most maxBytes bytes without splitting a character.
std::string TruncateGbk(std::string_view text, std::size_t maxBytes);

// ASCII case mapping of single-byte characters only; double-byte characters are left untouched.
std::string GbkToUpper(std::string_view text);
std::string GbkToLower(std::string_view text);

// Case-insensitive comparison (ASCII letters only), <0, 0, >0 by unsigned byte order of the
// upper-cased texts.
int GbkCompareNoCase(std::string_view a, std::string_view b);
bool GbkEqualNoCase(std::string_view a, std::string_view b);

// Position of the first or last single-byte character ch, or npos. ch must be below 0x80 and
// from a character boundary (0, or just past an earlier hit).
std::size_t GbkFind(std::string_view text, char ch, std::size_t from = 0);
std::size_t GbkFindLast(std::string_view text, char ch);

// Position of the last '\\' or '/' that is a character of its own, or npos.
std::size_t GbkFindLastSeparator(std::string_view text);

}  // namespace platform::text
