// The engine behind the setup wizard's last page. Built on the worker's stack from the chosen
// install description; no virtual operations.
#pragma once

#include <string>
#include <vector>

#include "setup/engine/install_records.h"

namespace Setup {

class InstallEngine {
public:
    // The program folder from the running program's path, a default description.
    InstallEngine();

    // Writes the installed "setup.xml" (the profile and every file of g_installedFiles) into the
    // description's system folder, replacing any file there.
    void WriteXmlInstallRecord();
    // Writes the product's install record below the current user: "Software\<product>" for a
    // standalone product, "software\quorvane\install\<product>" otherwise. The host profile edits
    // call it when they are done; ZWCAD installs add the header flag. Nothing is written for a
    // product without a name, nor for a host install without a profile name.
    void WriteInstallRecord(bool withHeaderFlag = false);
    // Writes the uninstall entry below the local machine; nothing without a product name.
    void WriteUninstallEntry();
    // Makes the desktop and start-menu shortcuts (the product's own program when it is installed,
    // else the host started with the product's profile) and records them in the install record.
    void CreateShortcuts();
    // Registers the package file type of a standalone program named with 10 or more characters;
    // false when one of the two main keys cannot be created.
    bool RegisterFileType();

    // Makes the product's AutoCAD (or ZWCAD) profile: a copy of one of the host's profiles pointed
    // at the product's folders and menus, made current, with the values it replaced kept in its
    // "PreConfig"; then writes the install record. A standalone product gets only its record;
    // without a profile name nothing changes.
    void EditAcadProfiles();
    void EditZwcadProfiles();
    // The host workspace named after the product, for releases after 17; else empty.
    std::u16string FormatVersionLabel() const;

    std::u16string programFolder;
    CADVer description;
    int fileCount = 0;
    // Target paths of the files copied from the cabinet's registration folder.
    std::vector<std::u16string> registrationFiles;
};

}  // namespace Setup
