#include "platform/text/fixed_text.h"

#include <charconv>

#include "platform/text/format.h"

namespace platform::text {

std::string FixedText(double value, int decimals)
{
    // std::to_chars with a precision gives the digits printf gives; what does not fit the buffer,
    // or a negative count, goes through Format.
    char buffer[512];
    if (decimals >= 0) {
        const std::to_chars_result written =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
        if (written.ec == std::errc())
            return std::string(buffer, written.ptr);
    }
    return Format("%.*f", decimals, value);
}

}  // namespace platform::text
