// Text of a DXF file to the host's GBK and back. Files of R2007 and later are UTF-8; older ones
// are in the code page their header names. Characters GBK cannot hold travel as \U+XXXX escapes,
// as the DXF format writes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/cad/dxf_groups.h"

namespace platform::cad {

class DxfTextDecoder {
public:
    // utf8: the file's text is UTF-8 (R2007 and later, see IsUtf8Text). codePage: the
    // $DWGCODEPAGE value ("ANSI_936", ...); without one the text is the host's GBK.
    DxfTextDecoder(bool utf8, std::string_view codePage);

    // The GBK form of a string value of the file. Bytes the file's code page cannot decode never
    // take the characters after them along: each stands for itself (see EscapeInvalidGbk). In a
    // single-byte code page, a value that is UTF-8 with characters beyond U+07FF is read as UTF-8.
    std::string Decode(std::string_view raw) const;

private:
    enum class Kind { Gbk, Utf8, Other };
    Kind kind_;
    std::string iconvName_;
};

// True for the versions whose text is UTF-8 ("AC1021" and later).
bool IsUtf8DxfVersion(std::string_view acadver);

// True for a $DWGCODEPAGE of one byte per character (ANSI_1252, DOS850, ISO8859_1...); false for
// the double-byte East Asian ones and for none.
bool IsSingleByteCodePage(std::string_view codePage);

// True when some value of the file holds bytes beyond ASCII and every such value is well-formed
// UTF-8. GIS exports write UTF-8 under a declared single-byte code page; text truly in such a
// page is almost never valid UTF-8.
bool IsUtf8Text(const std::vector<DxfGroup>& groups);

// The text with every byte GBK cannot decode (a stray lead byte, 0xFF, an unassigned pair)
// replaced by the character that byte is in code page 1252, in GBK or as a \U+XXXX escape.
// Valid GBK comes back unchanged.
std::string EscapeInvalidGbk(std::string_view text);

// Replaces \U+XXXX escapes that GBK can hold by the GBK character; others stay escaped.
std::string DecodeUnicodeEscapes(std::string_view gbk);

}  // namespace platform::cad
