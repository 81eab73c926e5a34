// Text of a DXF file to the host's GBK and back. Files of R2007 and later are UTF-8; older ones
// are in the code page their header names. Characters GBK cannot hold travel as \U+XXXX escapes,
// as the DXF format writes them.
#pragma once

#include <string>
#include <string_view>

namespace platform::cad {

class DxfTextDecoder {
public:
    // utf8: the file is of R2007 or later. codePage: the $DWGCODEPAGE value ("ANSI_936", ...).
    DxfTextDecoder(bool utf8, std::string_view codePage);

    // The GBK form of a string value of the file.
    std::string Decode(std::string_view raw) const;

private:
    enum class Kind { Gbk, Utf8, Other };
    Kind kind_;
    std::string iconvName_;
};

// True for the versions whose text is UTF-8 ("AC1021" and later).
bool IsUtf8DxfVersion(std::string_view acadver);

// Replaces \U+XXXX escapes that GBK can hold by the GBK character; others stay escaped.
std::string DecodeUnicodeEscapes(std::string_view gbk);

}  // namespace platform::cad
