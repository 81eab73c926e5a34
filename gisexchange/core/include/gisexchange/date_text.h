// Dates as the exchange keeps them in the drawing and in its attribute tables: eight digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gisexchange {

// A date written "y-m-d" as "yyyymmdd": the year, month and day right-aligned in 4, 2 and 2
// places and filled with zeros ("2020-1-5" gives "20200105"); a longer part is kept whole. None for
// a text that does not split into exactly three parts at "-".
std::optional<std::string> EightDigitDate(std::string_view text);

}  // namespace gisexchange
