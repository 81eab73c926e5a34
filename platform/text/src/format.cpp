#include "platform/text/format.h"

#include <charconv>
#include <cstdio>

#include "platform/text/encoding.h"
#include "platform/text/gbk.h"

namespace platform::text {

std::int64_t FormatArg::AsSigned() const {
    switch (kind_) {
        case Kind::Signed: return signed_;
        case Kind::Unsigned: return static_cast<std::int64_t>(unsigned_);
        case Kind::Real: return static_cast<std::int64_t>(real_);
        default: return 0;
    }
}

std::uint64_t FormatArg::AsUnsigned() const {
    switch (kind_) {
        case Kind::Signed: return static_cast<std::uint64_t>(signed_);
        case Kind::Unsigned: return unsigned_;
        case Kind::Real: return static_cast<std::uint64_t>(static_cast<std::int64_t>(real_));
        case Kind::Pointer: return reinterpret_cast<std::uintptr_t>(pointer_);
        default: return 0;
    }
}

double FormatArg::AsReal() const {
    switch (kind_) {
        case Kind::Signed: return static_cast<double>(signed_);
        case Kind::Unsigned: return static_cast<double>(unsigned_);
        case Kind::Real: return real_;
        default: return 0;
    }
}

namespace {

struct Spec {
    std::string flags;
    int width = -1;
    int precision = -1;
    char conversion = 0;
};

// The units of a text argument in the output's own character type.
std::string TextOf(const FormatArg& arg, std::string*) {
    if (arg.kind() == FormatArg::Kind::Wide) return Utf16ToGbk(arg.wide());
    return std::string(arg.narrow());
}

std::u16string TextOf(const FormatArg& arg, std::u16string*) {
    if (arg.kind() == FormatArg::Kind::Narrow) return GbkToUtf16(arg.narrow());
    return std::u16string(arg.wide());
}

// A precision on %s cuts the text; in GBK the cut never splits a character.
void CutText(std::string& s, int precision) {
    if (precision >= 0) s = TruncateGbk(s, static_cast<std::size_t>(precision));
}

void CutText(std::u16string& s, int precision) {
    if (precision < 0 || s.size() <= static_cast<std::size_t>(precision)) return;
    std::size_t cut = static_cast<std::size_t>(precision);
    if (cut > 0 && s[cut - 1] >= 0xD800 && s[cut - 1] < 0xDC00) --cut;  // keep surrogate pairs whole
    s.resize(cut);
}

std::string CharOf(const FormatArg& arg, std::string*) {
    if (arg.kind() == FormatArg::Kind::Narrow || arg.kind() == FormatArg::Kind::Wide) {
        return TextOf(arg, static_cast<std::string*>(nullptr)).substr(0, 1);
    }
    std::uint64_t code = arg.AsUnsigned();
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    if (code <= 0xFF) return std::string(1, static_cast<char>(code));
    return Utf16ToGbk(std::u16string(1, static_cast<char16_t>(code)));
}

std::u16string CharOf(const FormatArg& arg, std::u16string*) {
    if (arg.kind() == FormatArg::Kind::Narrow || arg.kind() == FormatArg::Kind::Wide) {
        return TextOf(arg, static_cast<std::u16string*>(nullptr)).substr(0, 1);
    }
    return std::u16string(1, static_cast<char16_t>(arg.AsUnsigned()));
}

// Numbers go through the C library on an ASCII spec built from the parsed one.
std::string FormatNumber(const Spec& spec, const FormatArg* arg) {
    std::string cfmt = "%" + spec.flags;
    if (spec.width >= 0) cfmt += std::to_string(spec.width);
    // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) about "." + a temporary.
    if (spec.precision >= 0) {
        cfmt += '.';
        cfmt += std::to_string(spec.precision);
    }
    char buffer[512];
    int n = 0;
    switch (spec.conversion) {
        case 'd':
        case 'i':
            cfmt += "lld";
            n = std::snprintf(buffer, sizeof buffer, cfmt.c_str(),
                              static_cast<long long>(arg ? arg->AsSigned() : 0));
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            cfmt += "ll";
            cfmt += spec.conversion;
            n = std::snprintf(buffer, sizeof buffer, cfmt.c_str(),
                              static_cast<unsigned long long>(arg ? arg->AsUnsigned() : 0));
            break;
        case 'p':
            n = std::snprintf(buffer, sizeof buffer, "%p", arg ? arg->pointer() : nullptr);
            break;
        default:
            cfmt += spec.conversion;
            n = std::snprintf(buffer, sizeof buffer, cfmt.c_str(), arg ? arg->AsReal() : 0.0);
            break;
    }
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < sizeof buffer) return std::string(buffer, n);
    // Very wide fields or huge precisions: format again into a buffer of the right size.
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    switch (spec.conversion) {
        case 'd':
        case 'i':
            std::snprintf(big.data(), big.size(), cfmt.c_str(), static_cast<long long>(arg ? arg->AsSigned() : 0));
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            std::snprintf(big.data(), big.size(), cfmt.c_str(),
                          static_cast<unsigned long long>(arg ? arg->AsUnsigned() : 0));
            break;
        default:
            std::snprintf(big.data(), big.size(), cfmt.c_str(), arg ? arg->AsReal() : 0.0);
            break;
    }
    big.resize(static_cast<std::size_t>(n));
    return big;
}

// The most common numbers, "%d" and "%.Nf" without flags, are written by std::to_chars, which
// gives the digits printf gives in the "C" locale without parsing a C format again. False when the
// conversion asks for more, or the digits do not fit the buffer; the caller then goes through the
// C library.
template <typename String>
bool AppendPlainNumber(String& out, const Spec& spec, const FormatArg* arg) {
    if (!spec.flags.empty() || arg == nullptr) return false;
    char buffer[512];
    std::to_chars_result written{};
    switch (spec.conversion) {
        case 'd':
        case 'i':
            if (spec.precision >= 0) return false;
            written = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(arg->AsSigned()));
            break;
        case 'f':
            written = std::to_chars(buffer, buffer + sizeof buffer, arg->AsReal(), std::chars_format::fixed,
                                    spec.precision >= 0 ? spec.precision : 6);
            break;
        default:
            return false;
    }
    if (written.ec != std::errc()) return false;
    const auto length = static_cast<std::size_t>(written.ptr - buffer);
    if (spec.width > 0 && length < static_cast<std::size_t>(spec.width))
        out.append(static_cast<std::size_t>(spec.width) - length, typename String::value_type(' '));
    out.append(buffer, written.ptr);
    return true;
}

template <typename String>
String Widen(const std::string& ascii) {
    return String(ascii.begin(), ascii.end());
}

template <typename String>
void Pad(String& out, const String& body, const Spec& spec) {
    std::size_t width = spec.width > 0 ? static_cast<std::size_t>(spec.width) : 0;
    // Widths count code units, as the C library does: a GBK character is two bytes and two columns.
    std::size_t length = body.size();
    if (length >= width) {
        out += body;
        return;
    }
    String fill(width - length, ' ');
    if (spec.flags.find('-') != std::string::npos) {
        out += body;
        out += fill;
    } else {
        out += fill;
        out += body;
    }
}

// The ASCII character c stands for, or 0 when it is not ASCII (GBK bytes and UTF-16 units above 0x7F
// never take part in a conversion spec).
template <typename Char>
char Ascii(Char c) {
    auto u = static_cast<std::make_unsigned_t<Char>>(c);
    return u < 0x80 ? static_cast<char>(u) : 0;
}

template <typename String, typename View>
String FormatAny(View format, std::span<const FormatArg> args) {
    using Char = typename String::value_type;
    String out;
    std::size_t next = 0;
    auto take = [&]() -> const FormatArg* { return next < args.size() ? &args[next++] : nullptr; };
    auto takeInt = [&]() -> int {
        const FormatArg* a = take();
        return a ? static_cast<int>(a->AsSigned()) : 0;
    };

    std::size_t i = 0;
    while (i < format.size()) {
        Char c = format[i];
        if (c != Char('%')) {
            out += c;
            ++i;
            continue;
        }
        std::size_t start = i++;
        Spec spec;
        while (i < format.size() && Ascii(format[i]) != 0 &&
               std::string_view("-+ #0").find(Ascii(format[i])) != std::string_view::npos) {
            spec.flags += Ascii(format[i++]);
        }
        if (i < format.size() && format[i] == Char('*')) {
            ++i;
            spec.width = takeInt();
            if (spec.width < 0) {
                spec.flags += '-';
                spec.width = -spec.width;
            }
        } else {
            while (i < format.size() && format[i] >= Char('0') && format[i] <= Char('9')) {
                spec.width = (spec.width < 0 ? 0 : spec.width) * 10 + (format[i++] - Char('0'));
                if (spec.width > 100000) spec.width = 100000;
            }
        }
        if (i < format.size() && format[i] == Char('.')) {
            ++i;
            spec.precision = 0;
            if (i < format.size() && format[i] == Char('*')) {
                ++i;
                spec.precision = takeInt();
            } else {
                while (i < format.size() && format[i] >= Char('0') && format[i] <= Char('9')) {
                    spec.precision = spec.precision * 10 + (format[i++] - Char('0'));
                    if (spec.precision > 100000) spec.precision = 100000;
                }
            }
        }
        while (i < format.size() && (format[i] == Char('h') || format[i] == Char('l') || format[i] == Char('L') ||
                                     format[i] == Char('q') || format[i] == Char('j') || format[i] == Char('z') ||
                                     format[i] == Char('t') || format[i] == Char('I'))) {
            // Length modifiers only say how wide a C argument is; typed arguments know that.
            if (format[i] == Char('I') && i + 2 < format.size() && format[i + 1] == Char('6') &&
                format[i + 2] == Char('4')) {
                i += 2;
            }
            ++i;
        }
        if (i >= format.size()) {
            out.append(format.substr(start).begin(), format.substr(start).end());
            break;
        }
        Char conv = format[i++];
        spec.conversion = Ascii(conv);
        switch (spec.conversion) {
            case '%':
                out += Char('%');
                break;
            case 's': {
                const FormatArg* a = take();
                String text;
                if (a && (a->kind() == FormatArg::Kind::Narrow || a->kind() == FormatArg::Kind::Wide)) {
                    text = TextOf(*a, static_cast<String*>(nullptr));
                } else if (a) {
                    Spec asNumber = spec;
                    asNumber.conversion = a->kind() == FormatArg::Kind::Real ? 'g' : 'd';
                    asNumber.width = -1;
                    asNumber.precision = -1;
                    asNumber.flags.clear();
                    text = Widen<String>(FormatNumber(asNumber, a));
                }
                CutText(text, spec.precision);
                Pad(out, text, spec);
                break;
            }
            case 'c': {
                const FormatArg* a = take();
                Pad(out, a ? CharOf(*a, static_cast<String*>(nullptr)) : String(), spec);
                break;
            }
            case 'd':
            case 'i':
            case 'u':
            case 'o':
            case 'x':
            case 'X':
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'p': {
                const FormatArg* a = take();
                if (!AppendPlainNumber(out, spec, a)) out += Widen<String>(FormatNumber(spec, a));
                break;
            }
            default:
                // Not a conversion: keep the text as it was written.
                out.append(format.substr(start, i - start).begin(), format.substr(start, i - start).end());
                break;
        }
    }
    return out;
}

}  // namespace

std::string FormatList(std::string_view format, std::span<const FormatArg> args) {
    return FormatAny<std::string>(format, args);
}

std::u16string FormatList(std::u16string_view format, std::span<const FormatArg> args) {
    return FormatAny<std::u16string>(format, args);
}

}  // namespace platform::text
