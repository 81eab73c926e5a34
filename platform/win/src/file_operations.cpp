// Creating, removing, copying and moving files and folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "guard.h"
#include "name_cache.h"
#include "file_support.h"
#include "platform/win/fault_injection.h"
#include "platform/win/files.h"
#include "platform/win/path_mapping.h"

namespace platform::win {
namespace {

BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether the folder a missing path would go in is there: the mapping may just have seen it.
bool ParentIsFolder(const FilePath& path) {
    return path.missingInFolder() || IsFolder(ParentOf(path.native));
}

// The running program's image, which is locked while it runs; the same file for the whole run.
bool IsRunningImage(const struct stat& st) {
    static const std::pair<dev_t, ino_t> self = [] {
        struct stat image;
        if (stat("/proc/self/exe", &image) != 0) return std::pair<dev_t, ino_t>{};
        return std::pair{image.st_dev, image.st_ino};
    }();
    return S_ISREG(st.st_mode) && self.second != 0 && self.first == st.st_dev && self.second == st.st_ino;
}

DWORD FaultOn(FaultKind kind, const std::string& native) { return CheckFault(kind, MapToWindows(native)); }

// Renames without replacing an existing target; falls back to a check where the file system
// does not offer the atomic form. toFolder: the target folder's status when just seen (or nullptr).
int RenameNoReplace(const std::string& from, const std::string& to, const struct stat* toFolder = nullptr) {
    NameChange change(from, to, toFolder);
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        change.Made(to);
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) return errno;
    struct stat st;
    if (lstat(to.c_str(), &st) == 0) return EEXIST;
    if (std::rename(from.c_str(), to.c_str()) != 0) return errno;  // still inside the change above
    change.Made(to);
    return 0;
}

int RenameReplacing(const std::string& from, const std::string& to) {
    NameChange change(from, to);
    if (std::rename(from.c_str(), to.c_str()) != 0) return errno;
    change.Made(to);
    return 0;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// Writes what is left to read of in into out, then gives out the mode and times of the source and
// closes it. Returns 0 or the errno of the step that failed.
int WriteCopy(int in, FileDescriptor& out, const struct stat& sourceStat) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(out.get(), buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += put;
        }
    }
    const timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    if (fchmod(out.get(), sourceStat.st_mode & 07777) != 0 || futimens(out.get(), times) != 0) return errno;
    if (close(out.Release()) != 0) return errno;
    return 0;
}

LONG RemoveMade(const std::string& path, int error) {
    const NameChange change(path);
    unlink(path.c_str());
    return ErrnoToWin32(error);
}

// Copies the bytes, mode and times of source to target. A target just found missing in its folder
// (missingIn: the folder's status as then seen) is made as the copy, exclusively, so that one made
// meanwhile is not taken over; otherwise the copy is written to a temporary file beside target and
// renamed into place. Returns a Win32 error code; on failure nothing is left that was not there
// before.
LONG CopyContents(const std::string& source, const struct stat& sourceStat, const std::string& target,
                  bool failIfExists, const struct stat* missingIn) {
    FileDescriptor in(open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return ErrnoToWin32(errno);
    if (missingIn) {
        int made;
        {
            NameChange change(target, missingIn);
            made = open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (made >= 0) change.Made(target);
        }
        FileDescriptor out(made);
        if (out.get() >= 0) {
            const int error = WriteCopy(in.get(), out, sourceStat);
            return error ? RemoveMade(target, error) : ERROR_SUCCESS;
        }
        if (errno != EEXIST) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno);
        if (failIfExists) return ERROR_FILE_EXISTS;
        // Made meanwhile: replaced as a target found there is.
    }
    std::string temp = ParentOf(target) + "/.dero-copy-XXXXXX";
    int made;
    {
        NameChange change(temp);
        made = mkostemp(temp.data(), O_CLOEXEC);
        change.Include(temp);  // its name is known only once made
        if (made >= 0) change.Made(temp);
    }
    FileDescriptor out(made);
    if (out.get() < 0) return errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno);
    if (const int error = WriteCopy(in.get(), out, sourceStat)) return RemoveMade(temp, error);

    const int error = failIfExists ? RenameNoReplace(temp, target)
                                   : RenameReplacing(temp, target);
    if (error == EEXIST) {
        RemoveMade(temp, error);
        return ERROR_FILE_EXISTS;
    }
    return error ? RemoveMade(temp, error) : ERROR_SUCCESS;
}

BOOL CreateDirectoryCore(std::u16string_view path) {
    const FilePath folder = ResolveFilePath(path);
    if (!folder.ok()) return Fail(folder.error);
    struct stat st;
    if (OwnStatus(folder, &st)) return Fail(ERROR_ALREADY_EXISTS);
    if (const DWORD fault = FaultOn(FaultKind::Create, folder.native)) return Fail(static_cast<LONG>(fault));
    NameChange change(folder.native, folder.folderStatus());
    if (mkdir(folder.native.c_str(), 0777) != 0) {
        return Fail(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno));
    }
    change.Made(folder.native);
    return TRUE;
}

BOOL RemoveDirectoryCore(std::u16string_view path) {
    const FilePath folder = ResolveFilePath(path);
    if (!folder.ok()) return Fail(folder.error);
    struct stat st;
    if (!OwnStatus(folder, &st)) return Fail(MissingError(folder));
    // A link to a folder stands for a junction, which goes as a link: what it points at is left
    // alone, whatever it holds.
    if (S_ISLNK(st.st_mode) && IsFolder(folder.native)) {
        if (const DWORD fault = FaultOn(FaultKind::Delete, folder.native)) return Fail(static_cast<LONG>(fault));
        const NameChange change(folder.native);
        if (unlink(folder.native.c_str()) != 0) return Fail(ErrnoToWin32(errno));
        return TRUE;
    }
    if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
    if (IsDriveFolder(folder.native) || IsReadOnly(st)) return Fail(ERROR_ACCESS_DENIED);
    if (const DWORD fault = FaultOn(FaultKind::Delete, folder.native)) return Fail(static_cast<LONG>(fault));
    const NameChange change(folder.native);
    if (rmdir(folder.native.c_str()) != 0) {
        return Fail(errno == EEXIST || errno == ENOTEMPTY ? ERROR_DIR_NOT_EMPTY : ErrnoToWin32(errno));
    }
    return TRUE;
}

BOOL DeleteFileCore(std::u16string_view path) {
    const FilePath file = ResolveFilePath(path);
    if (!file.ok()) return Fail(file.error);
    struct stat st;
    if (!OwnStatus(file, &st)) return Fail(MissingError(file));
    // Only files and links: a plain POSIX path could otherwise name a device.
    if (!(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) || IsReadOnly(st)) return Fail(ERROR_ACCESS_DENIED);
    if (IsRunningImage(st)) return Fail(ERROR_ACCESS_DENIED);
    if (const DWORD fault = FaultOn(FaultKind::Delete, file.native)) return Fail(static_cast<LONG>(fault));
    const NameChange change(file.native);
    if (unlink(file.native.c_str()) != 0) return Fail(ErrnoToWin32(errno));
    return TRUE;
}

BOOL CopyFileCore(std::u16string_view sourcePath, std::u16string_view targetPath, bool failIfExists) {
    const FilePath source = ResolveFilePath(sourcePath);
    if (!source.ok()) return Fail(source.error);
    const FilePath target = ResolveFilePath(targetPath);
    if (!target.ok()) return Fail(target.error);

    struct stat sourceStat;
    if (!FollowedStatus(source, &sourceStat)) return Fail(MissingError(source));
    if (S_ISDIR(sourceStat.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    struct stat targetStat;
    if (FollowedStatus(target, &targetStat)) {
        if (failIfExists) return Fail(ERROR_FILE_EXISTS);
        if (S_ISDIR(targetStat.st_mode) || IsReadOnly(targetStat)) return Fail(ERROR_ACCESS_DENIED);
        if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) {
            return Fail(ERROR_SHARING_VIOLATION);
        }
    }
    if (!ParentIsFolder(target)) return Fail(ERROR_PATH_NOT_FOUND);
    for (const std::string* path : {&source.native, static_cast<const std::string*>(&target.native)}) {
        if (const DWORD fault = FaultOn(FaultKind::Copy, *path)) return Fail(static_cast<LONG>(fault));
    }
    if (const LONG error =
            CopyContents(source.native, sourceStat, target.native, failIfExists, target.folderStatus()))
        return Fail(error);
    return TRUE;
}

// The last component of a Windows path as it was written (for renames that change only case).
std::string LastComponent(std::u16string_view path) {
    const auto end = path.find_last_not_of(u"\\/");
    if (end == std::u16string_view::npos) return {};
    const auto separator = path.find_last_of(u"\\/", end);
    const std::size_t start = separator == std::u16string_view::npos ? 0 : separator + 1;
    return text::Utf16ToUtf8(path.substr(start, end + 1 - start));
}

BOOL MoveFileCore(std::u16string_view sourcePath, std::u16string_view targetPath) {
    const FilePath source = ResolveFilePath(sourcePath);
    if (!source.ok()) return Fail(source.error);
    FilePath target = ResolveFilePath(targetPath);
    if (!target.ok()) return Fail(target.error);

    struct stat sourceStat;
    if (!OwnStatus(source, &sourceStat)) return Fail(MissingError(source));
    if (IsDriveFolder(source.native)) return Fail(ERROR_ACCESS_DENIED);
    struct stat targetStat;
    if (OwnStatus(target, &targetStat)) {
        const bool same = targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino;
        if (!same) return Fail(ERROR_ALREADY_EXISTS);
        // The case-blind lookup found the source itself: a change of case only.
        target.native = ParentOf(target.native) + "/" + LastComponent(targetPath);
        if (target.native == source.native) return TRUE;
    }
    if (!ParentIsFolder(target)) return Fail(ERROR_PATH_NOT_FOUND);
    for (const std::string* path : {&source.native, static_cast<const std::string*>(&target.native)}) {
        if (const DWORD fault = FaultOn(FaultKind::Move, *path)) return Fail(static_cast<LONG>(fault));
    }
    const int error = RenameNoReplace(source.native, target.native, target.folderStatus());
    if (error == 0) return TRUE;
    if (error == EXDEV && S_ISREG(sourceStat.st_mode)) {
        // Across file systems a file is copied and the source removed only once the copy stands.
        if (const LONG copyError = CopyContents(source.native, sourceStat, target.native, true, nullptr))
            return Fail(copyError);
        const NameChange change(source.native);
        unlink(source.native.c_str());
        return TRUE;
    }
    return Fail(error == EEXIST ? ERROR_ALREADY_EXISTS : ErrnoToWin32(error));
}

}  // namespace
}  // namespace platform::win

using platform::win::View;
using platform::win::Widen;

BOOL CreateDirectoryW(LPCWSTR path, LPSECURITY_ATTRIBUTES) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::CreateDirectoryCore(View(path)); });
}
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::CreateDirectoryCore(Widen(path)); });
}
BOOL RemoveDirectoryW(LPCWSTR path) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::RemoveDirectoryCore(View(path)); });
}
BOOL RemoveDirectoryA(LPCSTR path) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::RemoveDirectoryCore(Widen(path)); });
}
BOOL DeleteFileW(LPCWSTR path) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::DeleteFileCore(View(path)); });
}
BOOL DeleteFileA(LPCSTR path) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::DeleteFileCore(Widen(path)); });
}
BOOL CopyFileW(LPCWSTR source, LPCWSTR target, BOOL failIfExists) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        return platform::win::CopyFileCore(View(source), View(target), failIfExists != FALSE);
    });
}
BOOL CopyFileA(LPCSTR source, LPCSTR target, BOOL failIfExists) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        return platform::win::CopyFileCore(Widen(source), Widen(target), failIfExists != FALSE);
    });
}
BOOL MoveFileW(LPCWSTR source, LPCWSTR target) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::MoveFileCore(View(source), View(target)); });
}
BOOL MoveFileA(LPCSTR source, LPCSTR target) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::MoveFileCore(Widen(source), Widen(target)); });
}
