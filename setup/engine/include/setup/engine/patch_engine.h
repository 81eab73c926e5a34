// Applies the package as a patch to installed copies chosen in the patch wizard, with a backup of
// every file it overwrites so that a cancelled patch can be undone. Built on the patch worker's
// stack; no virtual operations. Reports to the patch page (1025 to 1028).
#pragma once

#include <string>
#include <vector>

#include "setup/engine/file_backup.h"
#include "setup/engine/install_records.h"

namespace Setup {

class PatchEngine {
public:
    // The program folder from the running program's path.
    PatchEngine();

    // Patches every target, then the package's component folders, and registers the components.
    void RunPatchInstall();
    // Undoes a patch stopped before its registering step, from the backups it left: each target
    // goes back to its own original and the files it added go with their emptied folders.
    void RollbackPatch();

    bool PatchCopyWithBackup(const std::u16string& source, const std::u16string& target, bool backup,
                             const TargetState* known = nullptr);
    void PatchCopyFolder(const std::u16string& source, const std::u16string& destination);
    // Flattened into destination; every target is kept once in registrationFiles.
    void PatchCopyRegistrationFolder(const std::u16string& source, const std::u16string& destination);
    void PatchInstallFonts(const std::u16string& folder);
    void PatchRegisterComponents();

    CADVer currentTarget;
    std::vector<std::u16string> registrationFiles;
    std::u16string programFolder;
    std::vector<CADVer> targets;
};

}  // namespace Setup
