// printf-style formatting into std::string (GBK) and std::u16string (UTF-16).
//
// The arguments are typed, not C varargs: a conversion that does not fit its argument formats the
// argument as best it can instead of reading garbage, a missing argument prints nothing, and the
// format is always the first parameter, so a text is never taken for a format by accident.
// Supported: flags "-+ #0", width and precision (numbers or '*'), length modifiers (ignored),
// conversions d i u o x X c s f F e E g G p %.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace platform::text {

class FormatArg {
public:
    enum class Kind { Signed, Unsigned, Real, Narrow, Wide, Pointer };

    template <typename T>
        requires(std::is_integral_v<T> && std::is_signed_v<T> && !std::is_same_v<T, char> &&
                 !std::is_same_v<T, bool>)
    FormatArg(T v) : kind_(Kind::Signed), signed_(v) {}
    template <typename T>
        requires(std::is_integral_v<T> && std::is_unsigned_v<T> && !std::is_same_v<T, char16_t> &&
                 !std::is_same_v<T, bool>)
    FormatArg(T v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(bool v) : kind_(Kind::Signed), signed_(v ? 1 : 0) {}
    FormatArg(char v) : kind_(Kind::Signed), signed_(static_cast<unsigned char>(v)) {}
    FormatArg(char16_t v) : kind_(Kind::Unsigned), unsigned_(v) {}
    FormatArg(double v) : kind_(Kind::Real), real_(v) {}
    FormatArg(float v) : kind_(Kind::Real), real_(v) {}
    FormatArg(const char* v) : kind_(Kind::Narrow), narrow_(v ? std::string_view(v) : "(null)") {}
    FormatArg(char* v) : FormatArg(static_cast<const char*>(v)) {}
    FormatArg(const std::string& v) : kind_(Kind::Narrow), narrow_(v) {}
    FormatArg(std::string_view v) : kind_(Kind::Narrow), narrow_(v) {}
    FormatArg(const char16_t* v) : kind_(Kind::Wide), wide_(v ? std::u16string_view(v) : u"(null)") {}
    FormatArg(char16_t* v) : FormatArg(static_cast<const char16_t*>(v)) {}
    FormatArg(const std::u16string& v) : kind_(Kind::Wide), wide_(v) {}
    FormatArg(std::u16string_view v) : kind_(Kind::Wide), wide_(v) {}
    FormatArg(const void* v) : kind_(Kind::Pointer), pointer_(v) {}

    Kind kind() const { return kind_; }
    std::int64_t AsSigned() const;
    std::uint64_t AsUnsigned() const;
    double AsReal() const;
    std::string_view narrow() const { return narrow_; }
    std::u16string_view wide() const { return wide_; }
    const void* pointer() const { return pointer_; }

private:
    Kind kind_;
    std::int64_t signed_ = 0;
    std::uint64_t unsigned_ = 0;
    double real_ = 0;
    std::string_view narrow_;
    std::u16string_view wide_;
    const void* pointer_ = nullptr;
};

std::string FormatList(std::string_view format, std::span<const FormatArg> args);
std::u16string FormatList(std::u16string_view format, std::span<const FormatArg> args);

// Format("%s: %d", name, count) in the host's code page. A wide %s argument is converted to GBK.
template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    return FormatList(format, list);
}

// Format(u"%s: %02d", name, count) in UTF-16. A narrow %s argument is taken as GBK.
template <typename... Args>
std::u16string Format(std::u16string_view format, const Args&... args) {
    const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
    return FormatList(format, list);
}

}  // namespace platform::text
