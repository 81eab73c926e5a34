#include "platform/cad/ads_units.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/cad/resbuf.h"

namespace {
constexpr int kDefaultMode = 2;       // LUNITS of a new drawing
constexpr int kDefaultPrecision = 4;  // LUPREC of a new drawing
constexpr std::size_t kMaxText = 63;

std::string Decimal(double value, int precision)
{
    // Halves round away from zero, as the host rounds ("2.5" at 0 decimals is "3"), not to even.
    double scale = std::pow(10.0, precision);
    if (std::abs(value * scale) < 1e15)
        value = std::round(value * scale) / scale;
    char buffer[400];
    std::snprintf(buffer, sizeof(buffer), "%.*f", precision, value);
    std::string text = buffer;
    // No negative zero: "-0.00" reads as 0.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::string Scientific(double value, int precision)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*E", precision, value);
    std::string text = buffer;
    // The host writes two exponent digits: 1.5000E+01.
    std::size_t e = text.find('E');
    if (e != std::string::npos && text.size() > e + 4 && text[e + 2] == '0')
        text.erase(e + 2, 1);
    return text;
}

std::string Fraction(double value, int precision)
{
    double whole = std::floor(std::abs(value));
    int denom = 1 << std::min(precision, 8);
    int num = static_cast<int>(std::lround((std::abs(value) - whole) * denom));
    if (num == denom) {
        whole += 1;
        num = 0;
    }
    while (num != 0 && num % 2 == 0) {
        num /= 2;
        denom /= 2;
    }
    std::string text = (value < 0 && (whole != 0 || num != 0)) ? "-" : "";
    text += Decimal(whole, 0);
    if (num != 0)
        text += " " + std::to_string(num) + "/" + std::to_string(denom);
    return text;
}
}  // namespace

int acdbRToS(double value, int mode, int precision, char* text)
{
    if (text == nullptr)
        return RTERROR;
    text[0] = '\0';
    if (mode == -1)
        mode = kDefaultMode;
    if (precision == -1)
        precision = kDefaultPrecision;
    if (precision < 0 || !std::isfinite(value))
        return RTERROR;
    precision = std::min(precision, 8);
    std::string out;
    switch (mode) {
    case 1:
        out = Scientific(value, precision);
        break;
    case 2:
        out = Decimal(value, precision);
        break;
    case 3: {
        // Engineering: feet and decimal inches.
        double inches = std::abs(value);
        double feet = std::floor(inches / 12);
        out = (value < 0 ? "-" : "") + Decimal(feet, 0) + "'-" + Decimal(inches - feet * 12, precision) + "\"";
        break;
    }
    case 4: {
        double inches = std::abs(value);
        double feet = std::floor(inches / 12);
        out = (value < 0 ? "-" : "") + Decimal(feet, 0) + "'-" + Fraction(inches - feet * 12, precision) + "\"";
        break;
    }
    case 5:
        out = Fraction(value, precision);
        break;
    default:
        return RTERROR;
    }
    // Numbers too long for the caller's buffer are given in scientific form.
    if (out.size() > kMaxText)
        out = Scientific(value, precision);
    std::memcpy(text, out.c_str(), out.size() + 1);
    return RTNORM;
}
