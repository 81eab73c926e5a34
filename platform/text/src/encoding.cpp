#include "platform/text/encoding.h"

#include <iconv.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/text/gbk.h"

namespace platform::text {
namespace {

// glibc's GBK table is the host's code page 936.
constexpr const char* kGbk = "GBK";
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kUtf16 = "UTF-16LE";

constexpr std::string_view kGbkReplacement = "?";
constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kUtf16Replacement{"\xFD\xFF", 2};

// How many bytes the character at the start of rest takes, so that an unmappable character gives
// one replacement and a malformed byte gives one replacement per byte.
using SkipLength = std::size_t (*)(std::string_view rest);

std::size_t GbkSkip(std::string_view rest) { return GbkCharLength(rest, 0); }

std::size_t Utf8Skip(std::string_view rest) {
    auto byte = [&rest](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead < 0xE0) length = 2;
    else if (lead >= 0xE0 && lead < 0xF0) length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
    if (length > rest.size()) return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 1;
    }
    return length;
}

std::size_t Utf16Skip(std::string_view rest) {
    if (rest.size() < 4) return 2;
    auto unit = [&rest](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(rest[2 * i])) |
               (static_cast<unsigned>(static_cast<unsigned char>(rest[2 * i + 1])) << 8);
    };
    const bool pair = unit(0) >= 0xD800 && unit(0) < 0xDC00 && unit(1) >= 0xDC00 && unit(1) < 0xE000;
    return pair ? 4 : 2;
}

const iconv_t kInvalidDescriptor = reinterpret_cast<iconv_t>(-1);

// The thread's iconv descriptors, opened on first use and kept until the thread ends: iconv_t
// keeps shift state and is not to be shared between threads, and opening one costs more than
// most conversions. The converters here name a handful of directions.
class Descriptors {
public:
    Descriptors() = default;
    Descriptors(const Descriptors&) = delete;
    Descriptors& operator=(const Descriptors&) = delete;
    ~Descriptors() {
        for (const Open& open : open_) iconv_close(open.cd);
    }
    iconv_t For(const char* to, const char* from) {
        for (const Open& open : open_)
            if (std::strcmp(open.to, to) == 0 && std::strcmp(open.from, from) == 0) return open.cd;
        const iconv_t cd = iconv_open(to, from);
        if (cd != kInvalidDescriptor) open_.push_back({to, from, cd});
        return cd;
    }

private:
    struct Open {
        const char* to;
        const char* from;
        iconv_t cd;
    };
    std::vector<Open> open_;
};

// A conversion through the thread's descriptor for the direction, from its initial state.
class Converter {
public:
    Converter(const char* to, const char* from) {
        thread_local Descriptors descriptors;
        cd_ = descriptors.For(to, from);
        if (cd_ != kInvalid) iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in; every malformed or unmappable character is skipped whole and replaced once.
    std::string Run(std::string_view in, SkipLength skipLength, std::string_view replacement,
                    std::size_t* failures = nullptr) {
        std::string out;
        if (failures) *failures = 0;
        if (cd_ == kInvalid) return out;
        out.resize(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ (malformed or unmappable) or EINVAL (a sequence cut at the end).
            const std::size_t skip = std::clamp<std::size_t>(skipLength(std::string_view(src, srcLeft)), 1, srcLeft);
            src += skip;
            srcLeft -= skip;
            if (out.size() - used < replacement.size()) out.resize(out.size() * 2 + replacement.size());
            std::memcpy(out.data() + used, replacement.data(), replacement.size());
            used += replacement.size();
            if (failures) ++*failures;
        }
        out.resize(used);
        return out;
    }

private:
    static inline const iconv_t kInvalid = kInvalidDescriptor;
    iconv_t cd_;
};

std::string Convert(const char* to, const char* from, std::string_view in, SkipLength skip,
                    std::string_view replacement) {
    Converter converter(to, from);
    return converter.Run(in, skip, replacement);
}

std::u16string BytesToUtf16(const std::string& bytes) {
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
}

std::string Utf16ToBytes(std::u16string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return bytes;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) { return Convert(kUtf8, kGbk, gbk, GbkSkip, kUtf8Replacement); }

std::string Utf8ToGbk(std::string_view utf8) { return Convert(kGbk, kUtf8, utf8, Utf8Skip, kGbkReplacement); }

std::u16string GbkToUtf16(std::string_view gbk) {
    return BytesToUtf16(Convert(kUtf16, kGbk, gbk, GbkSkip, kUtf16Replacement));
}

std::string Utf16ToGbk(std::u16string_view utf16) {
    return Convert(kGbk, kUtf16, Utf16ToBytes(utf16), Utf16Skip, kGbkReplacement);
}

namespace {
// ASCII is the same in both forms, and most names and paths are ASCII throughout: those are copied
// unit by unit rather than handed to the converter.
template <typename From, typename To>
bool CopyAscii(From text, To* out) {
    for (const auto unit : text)
        if (static_cast<std::make_unsigned_t<typename From::value_type>>(unit) >= 0x80) return false;
    out->assign(text.begin(), text.end());
    return true;
}
}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string ascii;
    if (CopyAscii(utf8, &ascii)) return ascii;
    return BytesToUtf16(Convert(kUtf16, kUtf8, utf8, Utf8Skip, kUtf16Replacement));
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string ascii;
    if (CopyAscii(utf16, &ascii)) return ascii;
    return Convert(kUtf8, kUtf16, Utf16ToBytes(utf16), Utf16Skip, kUtf8Replacement);
}

bool IsRepresentableInGbk(std::u16string_view utf16) {
    Converter converter(kGbk, kUtf16);
    std::size_t failures = 0;
    converter.Run(Utf16ToBytes(utf16), Utf16Skip, kGbkReplacement, &failures);
    return failures == 0;
}

}  // namespace platform::text

namespace platform::text {
namespace {

// The three areas GBK leaves to user-defined characters (symbols of Chinese big fonts live there).
bool IsGbkUserDefined(unsigned lead, unsigned trail) {
    return (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1) || (lead >= 0xF8 && trail >= 0xA1) ||
           (lead >= 0xA1 && lead <= 0xA7 && trail < 0xA1);
}

// Which lead and trail byte pairs are GBK characters: those glibc's table assigns, asked of iconv
// once, and the user-defined ones, which the host keeps as they are.
class GbkPairs {
public:
    GbkPairs() {
        Converter converter(kUtf16, kGbk);
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead)
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                std::size_t failures = 0;
                converter.Run(std::string_view(pair, 2), GbkSkip, kUtf16Replacement, &failures);
                assigned_[lead << 8 | trail] = failures == 0 || IsGbkUserDefined(lead, trail);
            }
    }
    bool Assigned(unsigned char lead, unsigned char trail) const { return assigned_[lead << 8 | trail]; }

private:
    std::bitset<0x10000> assigned_;
};

}  // namespace

std::size_t GbkDefinedCharLength(std::string_view gbk, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(gbk[pos]);
    if (lead <= 0x80)
        return 1;  // ASCII, and 0x80 for the euro sign
    if (lead == 0xFF || pos + 1 >= gbk.size())
        return 0;
    static const GbkPairs pairs;
    return pairs.Assigned(lead, static_cast<unsigned char>(gbk[pos + 1])) ? 2 : 0;
}

}  // namespace platform::text
