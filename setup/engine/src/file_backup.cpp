#include "setup/engine/file_backup.h"

#include "engine_support.h"
#include "platform/text/format.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "setup/engine/uninstall.h"

namespace Setup {

BackupJournal g_installBackups;
BackupJournal g_patchBackups;
std::u16string g_installRecoveryFolder;
std::u16string g_patchRecoveryFolder;
std::u16string g_currentInstallFolder;

namespace {

using detail::Canonical;

std::u16string WithBackslashes(std::u16string_view path) {
    std::u16string out(path);
    for (char16_t& c : out)
        if (c == u'/') c = u'\\';
    return out;
}

// Where a target's backup goes: below the recovery folder at its path relative to the base
// folder, or, outside it, at its path without the drive ("C:\Windows\system32\x.dll" becomes
// "<recovery>\Windows\system32\x.dll").
std::u16string BackupPathFor(std::u16string_view target, std::u16string_view recoveryFolder,
                             std::u16string_view baseFolder) {
    const std::u16string path = WithBackslashes(target);
    const std::u16string base = Canonical(baseFolder);
    std::u16string rest;
    if (!base.empty() && detail::IsBelowFolder(Canonical(path), base)) {
        rest = path.substr(base.size());
    } else {
        rest = path.size() > 1 && path[1] == u':' ? path.substr(2) : path;
    }
    const std::size_t first = rest.find_first_not_of(u'\\');
    rest = first == std::u16string::npos ? std::u16string() : rest.substr(first);
    std::u16string folder(recoveryFolder);
    while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    return folder + u"\\" + rest;
}

}  // namespace

TargetState QueryTarget(std::u16string_view path) {
    const std::u16string text(path);
    TargetState state;
    state.attributes = text.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(text.c_str());
    const bool missingFile = state.attributes == INVALID_FILE_ATTRIBUTES && !text.empty() &&
                             GetLastError() == static_cast<DWORD>(ERROR_FILE_NOT_FOUND);
    state.folderThere =
        (state.attributes != INVALID_FILE_ATTRIBUTES || missingFile) && !detail::HasDotPart(text);
    return state;
}

std::u16string BackupJournal::DistinctBackupPath(std::u16string path, bool* folderThere) {
    // Two targets can share a relative path (two installed copies, one system32 file name), and
    // a kept recovery folder can still hold an earlier run's backup: neither may be overwritten.
    const std::u16string first = path;
    for (int n = 2;; ++n) {
        if (!backupPaths_.count(Canonical(path))) {
            const TargetState state = QueryTarget(path);
            if (state.attributes == INVALID_FILE_ATTRIBUTES) {
                *folderThere = state.folderThere;
                return path;
            }
        }
        path = first + u"~" + detail::Decimal(n);
    }
}

bool BackupJournal::CopyWithBackup(std::u16string_view source, std::u16string_view target, bool backup,
                                   std::u16string_view recoveryFolder, std::u16string_view baseFolder,
                                   const TargetState* known) {
    const std::u16string from(source), to(target);
    if (!known || !known->folderThere) CreateParentFolders(to);
    const std::u16string key = Canonical(to);
    if (!backup || byTarget_.count(key)) return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;

    BackedUpFile pair{to, {}};
    const bool existed = known ? detail::IsFileAttributes(known->attributes) : detail::IsFile(to);
    bool backupFolderThere = false;
    if (existed) {
        // Without a place for the backup the file could not be put back: leave it alone.
        if (recoveryFolder.empty()) return false;
        pair.backup = DistinctBackupPath(BackupPathFor(to, recoveryFolder, baseFolder), &backupFolderThere);
    }
    byTarget_[key] = entries_.size();
    if (!pair.backup.empty()) backupPaths_.insert(Canonical(pair.backup));
    entries_.push_back(pair);

    const auto forgetLast = [this, &key, &pair] {
        entries_.pop_back();
        byTarget_.erase(key);
        if (!pair.backup.empty()) backupPaths_.erase(Canonical(pair.backup));
    };
    // A plain writable file, as the listing found it, is moved to its backup: what a copy there
    // and the target's deletion would leave, without writing the file again. A read-only file, a
    // link or a target not listed is copied, so that each keeps what a copy makes of it.
    const bool movable =
        known && !(known->attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT));
    bool moved = false;
    if (existed) {
        if (!backupFolderThere) CreateParentFolders(pair.backup);
        moved = movable && MoveFileW(to.c_str(), pair.backup.c_str());
        if (!moved && !CopyFileW(to.c_str(), pair.backup.c_str(), FALSE)) {
            DeleteFileW(pair.backup.c_str());
            forgetLast();
            return false;
        }
    }
    if (CopyFileW(from.c_str(), to.c_str(), FALSE)) return true;

    // The new file did not get in: the original goes back (the pair stays while it is not).
    if (moved) {
        if (MoveFileW(pair.backup.c_str(), to.c_str())) forgetLast();
    } else if (existed) {
        if (CopyFileW(pair.backup.c_str(), to.c_str(), FALSE)) {
            DeleteFileW(pair.backup.c_str());
            forgetLast();
        }
    } else if (!detail::IsFile(to)) {
        forgetLast();
    }
    return false;
}

std::vector<BackedUpFile> BackupJournal::Restore(const std::function<void(const BackedUpFile&)>& reportEach,
                                                 const std::function<bool(const std::u16string&)>& removeAdded) {
    std::vector<BackedUpFile> failed;
    for (const BackedUpFile& entry : entries_) {
        reportEach(entry);
        bool restored;
        if (entry.backup.empty()) {
            restored = removeAdded(entry.target);
        } else if (!detail::IsFile(entry.backup)) {
            // The run was stopped before it made the backup, so it never touched the target.
            restored = true;
        } else {
            restored = CopyFileW(entry.backup.c_str(), entry.target.c_str(), FALSE) != FALSE;
        }
        if (!restored) failed.push_back(entry);
    }
    Clear();
    for (const BackedUpFile& entry : failed) {
        byTarget_[Canonical(entry.target)] = entries_.size();
        if (!entry.backup.empty()) backupPaths_.insert(Canonical(entry.backup));
        entries_.push_back(entry);
    }
    return failed;
}

bool BackupJournal::Has(std::u16string_view target) const { return byTarget_.count(Canonical(target)) != 0; }

void BackupJournal::Clear() {
    entries_.clear();
    byTarget_.clear();
    backupPaths_.clear();
}

namespace {

// What stands at path, as its folder's listing or one question found it, goes: a folder's entries
// are taken as its listing gives them, without asking of each again.
bool DeleteFound(const std::u16string& path, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != FALSE;
    // A linked folder goes as a link; what it points at is not ours.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        detail::FindHandle find(path + u"\\*");
        std::u16string name;
        DWORD entry = 0;
        while (find.Next(&name, &entry)) DeleteFound(path + u"\\" + name, entry);
    }
    return RemoveDirectoryW(path.c_str()) != FALSE || DeleteFileW(path.c_str()) != FALSE;
}

}  // namespace

bool DeletePathRecursive(std::u16string_view path) {
    const std::u16string target(path);
    return DeleteFound(target, GetFileAttributesW(target.c_str()));
}

std::uint64_t GetFolderSize(std::u16string_view folder) {
    std::uint64_t total = 0;
    const std::u16string base(folder);
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileW((base + u"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::u16string name(data.cFileName);
        if (name == u"." || name == u"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) total += GetFolderSize(base + u"\\" + name);
        } else {
            total += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return total;
}

bool IsAbsolutePath(std::u16string_view path) {
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    if (path.size() >= 3 && path[1] == u':' && separator(path[2])) {
        const char16_t drive = detail::FoldChar(path[0]);
        return drive >= u'a' && drive <= u'z';
    }
    return path.size() > 2 && separator(path[0]) && separator(path[1]);
}

std::u16string TempFolderPath(std::u16string_view name) {
    char16_t buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    std::u16string folder(buffer, length < MAX_PATH ? length : 0);
    // Without a temporary folder the name alone would land in the current folder.
    if (folder.empty()) return {};
    if (folder.back() != u'\\') folder += u'\\';
    return folder + std::u16string(name);
}

}  // namespace Setup
