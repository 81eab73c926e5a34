// The running program's own module handle: the start of its first loaded segment.
#pragma once

#include "platform/win/win_types.h"

namespace platform::win {

HMODULE ProgramBase();

}  // namespace platform::win
