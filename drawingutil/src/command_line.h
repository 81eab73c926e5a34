// Messages of the verbose paths, printed on the host's command line as they are (never used as a
// format).
#pragma once

#include <string>

namespace drawingutil {

void PrintOnCommandLine(const std::string& text);

}  // namespace drawingutil
