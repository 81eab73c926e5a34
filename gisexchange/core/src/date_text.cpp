#include "gisexchange/date_text.h"

#include <array>
#include <cstddef>

#include "platform/text/gbk.h"

namespace gisexchange {
namespace {

std::string ZeroFilled(std::string_view part, std::size_t width) {
    std::string out;
    if (part.size() < width)
        out.assign(width - part.size(), '0');
    out.append(part);
    return out;
}

}  // namespace

std::optional<std::string> EightDigitDate(std::string_view text) {
    std::array<std::string_view, 3> parts;
    std::size_t count = 0, from = 0;
    for (;;) {
        const std::size_t dash = platform::text::GbkFind(text, '-', from);
        if (count == parts.size())
            return std::nullopt;
        parts[count++] = text.substr(from, dash == std::string_view::npos ? dash : dash - from);
        if (dash == std::string_view::npos)
            break;
        from = dash + 1;
    }
    if (count != parts.size())
        return std::nullopt;
    return ZeroFilled(parts[0], 4) + ZeroFilled(parts[1], 2) + ZeroFilled(parts[2], 2);
}

}  // namespace gisexchange
