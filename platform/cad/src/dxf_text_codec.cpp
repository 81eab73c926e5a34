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

// Well-formed UTF-8: no stray or missing continuation bytes, no overlong forms or surrogates.
bool IsWellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t len = c < 0x80                 ? 1
                          : c >= 0xC2 && c <= 0xDF ? 2
                          : c >= 0xE0 && c <= 0xEF ? 3
                          : c >= 0xF0 && c <= 0xF4 ? 4
                                                   : 0;
        if (len == 0 || i + len > text.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        auto second = static_cast<unsigned char>(len > 1 ? text[i + 1] : 0);
        if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) || (c == 0xF0 && second < 0x90) ||
            (c == 0xF4 && second > 0x8F))
            return false;
        i += len;
    }
    return true;
}

// Of well-formed UTF-8: true when it has a character of three or four bytes (U+0800 and up).
bool HoldsWideUtf8(std::string_view text) {
    for (unsigned char c : text)
        if (c >= 0xE0)
            return true;
    return false;
}

std::string Escape(char16_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "\\U+%04X", static_cast<unsigned>(c));
    return buffer;
}

// UTF-16 text to GBK, each character GBK lacks written as an escape. A character beyond the
// basic plane goes as the escapes of its two surrogates: escapes hold four digits.
std::string Utf16ToGbkEscaped(std::u16string_view text) {
    if (platform::text::IsRepresentableInGbk(text))
        return platform::text::Utf16ToGbk(text);
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
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

std::string EscapeInvalidGbk(std::string_view text) {
    // Code page 1252 where it differs from Latin-1; its five unused bytes stand for themselves.
    static const char16_t k1252[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    std::size_t done = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = platform::text::GbkDefinedCharLength(text, i);
        if (len != 0) {
            i += len;
            continue;
        }
        out.append(text.substr(done, i - done));
        auto byte = static_cast<unsigned char>(text[i]);
        std::u16string one(1, byte < 0xA0 ? k1252[byte - 0x80] : static_cast<char16_t>(byte));
        out += platform::text::IsRepresentableInGbk(one) ? platform::text::Utf16ToGbk(one) : Escape(one[0]);
        done = ++i;
    }
    if (done == 0)
        return std::string(text);
    out.append(text.substr(done));
    return out;
}

bool IsSingleByteCodePage(std::string_view codePage) {
    std::string page = platform::text::GbkToUpper(TrimDxfValue(codePage));
    if (page.empty())
        return false;
    for (const char* wide : {"932", "936", "949", "950", "1361", "GB2312", "BIG5", "JOHAB", "KSC5601"})
        if (page.find(wide) != std::string::npos)
            return false;
    return true;
}

DxfUtf8 FindUtf8Text(const std::vector<DxfGroup>& groups) {
    bool any = false, all = true, wide = false;
    for (const DxfGroup& group : groups) {
        if (group.code == 999 || IsPlainAscii(group.value()))
            continue;
        any = true;
        if (!IsWellFormedUtf8(group.value()))
            all = false;
        else if (!wide)
            wide = HoldsWideUtf8(group.value());
    }
    return !any ? DxfUtf8::None : all ? DxfUtf8::All : wide ? DxfUtf8::Mixed : DxfUtf8::None;
}

bool IsUtf8DxfVersion(std::string_view acadver) {
    // AC1021 (R2007) and later; the versions are AC1 followed by three digits.
    if (acadver.size() != 6 || acadver.substr(0, 2) != "AC")
        return false;
    return acadver >= "AC1021";
}

DxfTextDecoder::DxfTextDecoder(DxfUtf8 utf8, std::string_view codePage) : utf8Values_(utf8 == DxfUtf8::Mixed) {
    if (utf8 == DxfUtf8::All) {
        kind_ = Kind::Utf8;
        return;
    }
    std::string page = platform::text::GbkToUpper(codePage);
    if (page.empty() || page == "ANSI_936" || page == "DOS936" || page == "GB2312") {
        kind_ = Kind::Gbk;
        return;
    }
    if (page.rfind("ISO8859_", 0) == 0) {
        kind_ = Kind::Other;
        iconvName_ = "ISO-8859-" + page.substr(8);
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
            gbk = plain ? std::string(raw) : EscapeInvalidGbk(raw);
            break;
        case Kind::Utf8:
            gbk = plain ? std::string(raw) : Utf16ToGbkEscaped(platform::text::Utf8ToUtf16(raw));
            break;
        case Kind::Other:
            if (plain)
                gbk = std::string(raw);
            else if (utf8Values_ && IsWellFormedUtf8(raw))
                gbk = Utf16ToGbkEscaped(platform::text::Utf8ToUtf16(raw));
            else
                gbk = Utf16ToGbkEscaped(platform::text::Utf8ToUtf16(CodePageToUtf8(raw, iconvName_)));
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
