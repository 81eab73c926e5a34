#include "command_line.h"

#include "platform/cad/prompts.h"

namespace drawingutil {

void PrintOnCommandLine(const std::string& text) { acutPrintf("%s", text.c_str()); }

}  // namespace drawingutil
