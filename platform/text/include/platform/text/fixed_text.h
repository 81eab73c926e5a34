// A real number in fixed notation with a given number of decimals, exactly as Format("%.*f") writes
// it in the "C" locale, without parsing a format: for values written by the hundred thousand.
#pragma once

#include <string>

namespace platform::text {

std::string FixedText(double value, int decimals);

}  // namespace platform::text
