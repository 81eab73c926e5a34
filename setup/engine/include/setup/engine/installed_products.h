// Copies of the product already installed, found through the uninstall entries the installer
// wrote (their "installinfo" names "deroinstall").
#pragma once

#include <string_view>
#include <vector>

#include "platform/win/win_types.h"
#include "setup/engine/install_records.h"

namespace Setup {

inline constexpr char16_t kUninstallRoot[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Replaces the list with one description per installed copy: product, install folder, profile
// name and file count from its entry.
void ListInstalledProducts(std::vector<CADVer>& products);

// Completes the description from its uninstall entry: found by product name, or, for a product
// name under 3 characters, by the entry whose uninstall command is this very program. The first
// match wins. False when none matches.
bool ReadUninstallEntry(CADVer& description);

// Files below the folder, sub-folders searched too; 0 for an empty path or a missing folder.
int CountFilesInFolder(std::u16string_view folder);

int CountSubkeys(HKEY key);

}  // namespace Setup
