// Files the plug-ins read from the host's support search path (configuration tables and the like).
#pragma once

#include <string>

namespace drawingutil {

enum class SupportFileRead { kRead, kNotFound, kNotOpened };

// The whole file, as its bytes stand (line ends included), found on the host's search path by its
// bare name. kNotOpened when it was found but could not be opened or read.
SupportFileRead ReadSupportFile(const char* bareName, std::string& content);

}  // namespace drawingutil
