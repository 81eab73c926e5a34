// A real as the defaults of the prompts show it.
#pragma once

#include <string>

namespace cadastral {

// Six significant digits without trailing zeros, exponent form for very large or small values:
// 0.1 gives "0.1", 0.05 gives "0.05".
std::string FormatReal(double value);

}  // namespace cadastral
