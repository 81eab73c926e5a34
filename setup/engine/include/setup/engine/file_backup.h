// Copying files over installed ones with a backup of what they replace, so that a cancelled run
// can put every file back exactly; and the folder helpers the engines share.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/win/files.h"

namespace Setup {

// A copy's target as one question finds it just before the copy: what stands there
// (INVALID_FILE_ATTRIBUTES for nothing) and whether its folder is there. A caller that has asked
// hands the answer on, so that the copy does not ask again.
struct TargetState {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    bool folderThere = false;
};
// The folder counts as there when the target is, or when the target alone is missing (the answer
// Windows gives for a missing file in an existing folder). A path with "." or ".." parts never
// vouches for its folder: the walk that makes the folders then asks of every part, as it must.
TargetState QueryTarget(std::u16string_view path);

// One file a run wrote: its backup copy, or empty when the file did not exist before.
struct BackedUpFile {
    std::u16string target;
    std::u16string backup;
};

// The pairs of one run, in the order the targets were first touched. A pair is recorded before
// its target is touched, so a worker stopped at any point leaves a journal a rollback can trust:
// a recorded backup that is not there yet means the target was never changed.
class BackupJournal {
public:
    // Copies source over target. With backup set, the target's first write in this run records
    // a pair: an existing target is copied under recoveryFolder first (at its path relative to
    // baseFolder when it lies below it, else at its path without the drive) and is not overwritten
    // when that copy fails; when the new file cannot be copied, the original goes back. Later
    // writes of the same target keep the first backup. True when the new file stands. known, when
    // given, is the target as the caller has just found it (QueryTarget); it is not asked again.
    bool CopyWithBackup(std::u16string_view source, std::u16string_view target, bool backup,
                        std::u16string_view recoveryFolder, std::u16string_view baseFolder,
                        const TargetState* known = nullptr);

    // Puts each target back from its own backup (overwriting it) or, for a file the run added,
    // calls removeAdded on it. reportEach is told of every pair before it is restored; the pairs
    // that could not be restored are returned (and stay in the journal, which is otherwise
    // emptied).
    std::vector<BackedUpFile> Restore(const std::function<void(const BackedUpFile&)>& reportEach,
                                      const std::function<bool(const std::u16string&)>& removeAdded);

    // Forgets every pair (the run can no longer be undone).
    void Clear();
    bool Has(std::u16string_view target) const;
    const std::vector<BackedUpFile>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

private:
    // A backup path no pair uses and nothing stands at; folderThere says whether the last question
    // found its folder there.
    std::u16string DistinctBackupPath(std::u16string path, bool* folderThere);

    std::vector<BackedUpFile> entries_;
    std::unordered_map<std::u16string, std::size_t> byTarget_;  // canonical target -> entry
    std::unordered_set<std::u16string> backupPaths_;           // canonical backups in use
};

// The journals of the running install or update and of the running patch, and the recovery
// folder (the temporary folder + "insrecovery") and install folder they were made for. Written
// only by the running worker; a rollback worker reads what a stopped one left.
extern BackupJournal g_installBackups;
extern BackupJournal g_patchBackups;
extern std::u16string g_installRecoveryFolder;
extern std::u16string g_patchRecoveryFolder;
extern std::u16string g_currentInstallFolder;

// Removes a file, or a folder with everything in it. A missing path counts as removed.
bool DeletePathRecursive(std::u16string_view path);
// The bytes of every file below folder, sub-folders included.
std::uint64_t GetFolderSize(std::u16string_view folder);
// A path that names a drive ("C:\...") or a share ("\\server\..."): anything else would land
// below whatever the current folder is.
bool IsAbsolutePath(std::u16string_view path);
// The temporary folder followed by name, with one backslash between.
std::u16string TempFolderPath(std::u16string_view name);

}  // namespace Setup
