#include "command_line.h"

namespace drawingutil {

// The host's command-line output arrives with the host's runtime calls; until then the verbose
// paths have nowhere to print.
void PrintOnCommandLine(const std::string&) {}

}  // namespace drawingutil
