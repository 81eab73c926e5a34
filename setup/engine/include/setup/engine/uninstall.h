// Uninstalling and restoring an installed copy: the operations are those of InstallInfo
// (install_records.h); the state they share is in install_state.h.
#pragma once

#include <string_view>

#include "setup/engine/install_records.h"

namespace Setup {

// Creates every missing folder on the way to the file path (its last part is the file name);
// false when one could not be made.
bool CreateParentFolders(std::u16string_view path);

}  // namespace Setup
