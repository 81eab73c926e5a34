// A real as the prompts show it: six significant digits, no trailing zeros, exponent form for
// very large or very small values (what a default-formatted stream writes).
#pragma once

#include <string>

namespace cadastral {

std::string FormatReal(double value);

}  // namespace cadastral
