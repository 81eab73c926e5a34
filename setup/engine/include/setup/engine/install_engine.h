// The engine behind the setup wizard's last page. Built on the worker's stack from the chosen
// install description; no virtual operations.
#pragma once

#include <string>
#include <vector>

#include "setup/engine/file_backup.h"
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

    // A fresh install, or an update of an installed copy, from the program folder's "data.cab":
    // files with backup, fonts, components, host profile, records and shortcuts. Reports only
    // through the progress messages.
    void RunInstall(CADVer d);
    void RunUpdate(CADVer d);
    // Undoes a run stopped before its registering step: every file it wrote goes back to what it
    // was, every file it added goes, and so does the recovery folder (kept, with a line per file,
    // when something could not be put back).
    void RollbackInstall();

    // Copies a folder tree with backup and a line per file; the registration folder's tree is
    // flattened into destination and its targets recorded in registrationFiles.
    void CopyFolderTree(const std::u16string& source, const std::u16string& destination);
    void CopyRegistrationFolder(const std::u16string& source, const std::u16string& destination);
    // known: the target as the caller has just found it, when it has (not asked again).
    bool CopyFileWithBackup(const std::u16string& source, const std::u16string& target, bool backup,
                            const TargetState* known = nullptr);
    // Fonts not yet in the Windows font folder are copied there and added.
    void InstallFonts(const std::u16string& folder);
    void RegisterComponents();
    void RunDriverWizard();
    // Whether the temporary folder's drive has room for the backups and the package; asks to
    // retry while it has not. False when the user cancels.
    bool CheckFreeSpace(const std::u16string& tempFolder);

    std::u16string programFolder;
    CADVer description;
    int fileCount = 0;
    // Target paths of the files copied from the cabinet's registration folder.
    std::vector<std::u16string> registrationFiles;
    // The running program, copied into the system folder as "setup.exe"; empty: the program's
    // own path.
    std::u16string programPath;

private:
    void Run(CADVer d, bool update);
};

}  // namespace Setup
