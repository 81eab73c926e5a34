// Text of a DXF file to the host's GBK and back. Files of R2007 and later are UTF-8; older ones
// are in the code page their header names. Characters GBK cannot hold travel as \U+XXXX escapes,
// as the DXF format writes them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/cad/dxf_groups.h"

namespace platform::cad {

// How much of a file's text is UTF-8 whatever its code page says.
enum class DxfUtf8 {
    None,
    Mixed,  // the values that are well-formed UTF-8; the others are in the code page
    All,
};

class DxfTextDecoder {
public:
    // utf8: what of the file is UTF-8 (All for R2007 and later, see FindUtf8Text). codePage: the
    // $DWGCODEPAGE value ("ANSI_936", ...); without one the text is the host's GBK.
    DxfTextDecoder(DxfUtf8 utf8, std::string_view codePage);

    // The GBK form of a string value of the file. Bytes the file's code page cannot decode never
    // take the characters after them along: each stands for itself (see EscapeInvalidGbk).
    std::string Decode(std::string_view raw) const;

private:
    enum class Kind { Gbk, Utf8, Other };
    Kind kind_;
    bool utf8Values_ = false;
    std::string iconvName_;
};

// True for the versions whose text is UTF-8 ("AC1021" and later).
bool IsUtf8DxfVersion(std::string_view acadver);

// True for a $DWGCODEPAGE of one byte per character (ANSI_1252, DOS850, ISO8859_1...); false for
// the double-byte East Asian ones and for none.
bool IsSingleByteCodePage(std::string_view codePage);

// For a file that declares a single-byte code page: All when some value holds bytes beyond ASCII
// and every such value is well-formed UTF-8; Mixed when, beside values that are not, some are
// UTF-8 with characters of three bytes or more (Chinese among them); None otherwise. GIS exports
// write names in UTF-8 and texts in the declared page; text truly in a single-byte page is almost
// never well-formed UTF-8, and practically never with a character of three bytes.
DxfUtf8 FindUtf8Text(const std::vector<DxfGroup>& groups);

// The text with every byte GBK cannot decode (a stray lead byte, 0xFF, an unassigned pair)
// replaced by the character that byte is in code page 1252, in GBK or as a \U+XXXX escape.
// Valid GBK comes back unchanged.
std::string EscapeInvalidGbk(std::string_view text);

// Replaces \U+XXXX escapes that GBK can hold by the GBK character; others stay escaped.
std::string DecodeUnicodeEscapes(std::string_view gbk);

}  // namespace platform::cad
