// The drawing variables a DXF header holds: each stored drawing variable (USERR1, LTSCALE...) as
// "$NAME" followed by one group of its value.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/system_variables.h"

namespace platform::cad {

struct DxfHeaderVariable {
    std::string name;  // with the "$"
    int code = 0;      // the group code of the value
    VariableDefinition definition;
};

// In name order; a variable of a type a header value of ours cannot take (a point) is left out.
std::vector<DxfHeaderVariable> DxfHeaderVariables();

}  // namespace platform::cad
