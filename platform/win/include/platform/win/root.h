// The Linux folder that stands for the Windows machine: drives are its sub-folders "c", "d", ...
// and the registry lives in its sub-folder "registry".
#pragma once

#include <string>

namespace platform::win {

// The root as an absolute Linux path (UTF-8): DERO_ROOT, else ~/.dero. Read once, then kept.
std::string GetRoot();

// Replaces the root for this process (tests give each case its own). An empty path goes back to
// DERO_ROOT or ~/.dero. Cached registry hives are dropped; open key handles stay valid.
void SetRoot(const std::string& linuxPath);

}  // namespace platform::win
