// The value of a system variable, and the values a drawing keeps of its own variables.
#pragma once

#include <map>
#include <string>

#include "platform/cad/resbuf.h"

namespace platform::cad {

struct VariableValue {
    short type = RTSHORT;  // RTSHORT, RTLONG, RTREAL, RTSTR, RTPOINT or RT3DPOINT
    long long integer = 0;
    double real = 0;
    double point[3] = {0, 0, 0};
    std::string text;
};

// A drawing's values of its drawing variables, by upper-case name: those it was read with or that
// were set since; a variable missing here has its initial value.
using DrawingVariables = std::map<std::string, VariableValue>;

}  // namespace platform::cad
