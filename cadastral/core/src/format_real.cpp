#include "cadastral/format_real.h"

#include <sstream>

namespace cadastral {

std::string FormatReal(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

}  // namespace cadastral
