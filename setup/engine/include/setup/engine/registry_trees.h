// Whole registry trees: copying a key with everything below it, and deleting one.
#pragma once

#include <string_view>

#include "platform/win/win_types.h"

namespace Setup {

// Copies every value of source (types kept, data of any length) and then every sub-key, creating
// them below destination. The source is read before anything is written, so a key copied onto
// itself keeps its settings. False when a value or key could not be copied.
bool CopyRegistryTree(HKEY source, HKEY destination);

// Deletes key\subkey with everything below it; true when it is gone (or was never there). An
// empty name is refused (it would name key itself), and so is a path of 520 characters or more.
bool DeleteRegistryTree(HKEY key, std::u16string_view subkey);

}  // namespace Setup
