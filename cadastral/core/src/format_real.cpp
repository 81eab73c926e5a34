#include "cadastral/format_real.h"

#include <cstdio>

namespace cadastral {

std::string FormatReal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace cadastral
