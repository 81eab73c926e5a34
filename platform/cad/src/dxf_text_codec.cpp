#include "platform/cad/dxf_text_codec.h"

#include <iconv.h>

#include <cstdio>

#include "platform/text/encoding.h"
#include "platform/text/gbk.h"

namespace platform::cad {

namespace {
bool IsPlainAscii(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string Escape(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "\\U+%04X", static_cast<unsigned>(c));
    return buffer;
}

// UTF-16 text to GBK, each character GBK lacks written as an escape.
std::string Utf16ToGbkEscaped(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            char32_t full = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            out += Escape(full);
            ++i;
            continue;
        }
        std::u16string_view one = text.substr(i, 1);
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (platform::text::IsRepresentableInGbk(one))
            out += platform::text::Utf16ToGbk(one);
        else
            out += Escape(c);
    }
    return out;
}

// Text of another single- or double-byte code page to UTF-8 through iconv; '?' for bad bytes.
std::string CodePageToUtf8(std::string_view raw, const std::string& iconvName) {
    iconv_t cd = iconv_open("UTF-8", iconvName.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(raw);
    std::string out;
    std::string input(raw);
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[256];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof(buffer);
        std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out += '?';
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}
}  // namespace

bool IsUtf8DxfVersion(std::string_view acadver) {
    // AC1021 (R2007) and later; the versions are AC1 followed by three digits.
    if (acadver.size() != 6 || acadver.substr(0, 2) != "AC")
        return false;
    return acadver >= "AC1021";
}

DxfTextDecoder::DxfTextDecoder(bool utf8, std::string_view codePage) {
    if (utf8) {
        kind_ = Kind::Utf8;
        return;
    }
    std::string page = platform::text::GbkToUpper(codePage);
    if (page.empty() || page == "ANSI_936" || page == "DOS936" || page == "GB2312") {
        kind_ = Kind::Gbk;
        return;
    }
    // ANSI_1252, ANSI_1251 ... are Windows code pages; DOS850 and the like are DOS ones.
    std::string digits;
    for (char c : page)
        if (c >= '0' && c <= '9')
            digits += c;
    if (digits.empty()) {
        kind_ = Kind::Gbk;
        return;
    }
    kind_ = Kind::Other;
    iconvName_ = "CP" + digits;
}

std::string DxfTextDecoder::Decode(std::string_view raw) const {
    bool plain = IsPlainAscii(raw);
    bool escapes = raw.find("\\U+") != std::string_view::npos || raw.find("\\u+") != std::string_view::npos;
    if (plain && !escapes)
        return std::string(raw);
    std::string gbk;
    switch (kind_) {
        case Kind::Gbk:
            gbk = std::string(raw);
            break;
        case Kind::Utf8:
            gbk = plain ? std::string(raw) : Utf16ToGbkEscaped(platform::text::Utf8ToUtf16(raw));
            break;
        case Kind::Other:
            gbk = plain ? std::string(raw)
                        : Utf16ToGbkEscaped(platform::text::Utf8ToUtf16(CodePageToUtf8(raw, iconvName_)));
            break;
    }
    return escapes ? DecodeUnicodeEscapes(gbk) : gbk;
}

std::string DecodeUnicodeEscapes(std::string_view gbk) {
    std::string out;
    out.reserve(gbk.size());
    std::size_t i = 0;
    while (i < gbk.size()) {
        std::size_t len = platform::text::GbkCharLength(gbk, i);
        // A backslash may be the second byte of a double-byte character: only whole characters count.
        if (len == 1 && gbk[i] == '\\' && i + 6 < gbk.size() + 0 &&
            (gbk[i + 1] == 'U' || gbk[i + 1] == 'u') && gbk[i + 2] == '+') {
            int value = 0;
            bool ok = true;
            for (std::size_t k = 3; k < 7; ++k) {
                int d = HexDigit(gbk[i + k]);
                ok = ok && d >= 0;
                value = value * 16 + (d < 0 ? 0 : d);
            }
            char16_t c = static_cast<char16_t>(value);
            std::u16string_view one(&c, 1);
            if (ok && value >= 0x20 && !(value >= 0xD800 && value <= 0xDFFF) &&
                platform::text::IsRepresentableInGbk(one)) {
                out += platform::text::Utf16ToGbk(one);
                i += 7;
                continue;
            }
        }
        out.append(gbk.substr(i, len == 0 ? 1 : len));
        i += len == 0 ? 1 : len;
    }
    return out;
}

}  // namespace platform::cad
