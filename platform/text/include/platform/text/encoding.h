// Conversions between the host's code page (GBK), UTF-8 and UTF-16.
//
// Every conversion is total: a malformed or unmappable sequence becomes one replacement character
// ('?' in GBK, U+FFFD in UTF-8 and UTF-16) and the conversion goes on. Nothing throws.
#pragma once

#include <string>
#include <string_view>

namespace platform::text {

std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// True when every character of the text can be written in GBK.
bool IsRepresentableInGbk(std::u16string_view utf16);

// Length in bytes (1 or 2) of the character GBK defines at pos, or 0 when the byte there starts
// none: a lead byte without its trail byte, 0xFF, or a pair GBK leaves unassigned. The areas of
// user-defined characters count as defined.
std::size_t GbkDefinedCharLength(std::string_view gbk, std::size_t pos);

}  // namespace platform::text
