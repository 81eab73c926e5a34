// The CAD hosts installed on the machine and the product's installed copies, matched with the
// package's install profiles into the setup sheet's two lists.
#pragma once

#include <string_view>
#include <vector>

#include "platform/win/win_types.h"
#include "setup/engine/install_records.h"

namespace Setup {

inline constexpr char16_t kAutocadRoot[] = u"Software\\Autodesk\\AutoCAD";
inline constexpr char16_t kZwcadRoot[] = u"Software\\ZWSoft\\ZWCAD";

// Append one description per host installation below the open root key (rootPath names it),
// for hosts whose program is still in their folder. Return 1.
int DetectAutocadProfiles(std::u16string_view rootPath, HKEY root, std::vector<CADVer>& hosts);
int DetectZwcadProfiles(std::u16string_view rootPath, HKEY root, std::vector<CADVer>& hosts);

// Rebuilds the install targets from the hosts found and the package profiles, and prunes the
// installed copies (read by ReadInstallRecords first) to those the package still names. No
// target is offered without "data.cab" and "setup.xml" beside the program. Returns 1.
int DetectHostVersions(std::vector<CADVer>& targets, std::vector<CADVer>& installedCopies);

// Rebuilds the installed copies from the product's install records and its uninstall entries.
void ReadInstallRecords(std::vector<CADVer>& installedCopies);

}  // namespace Setup
