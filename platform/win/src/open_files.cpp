#include "open_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <optional>
#include <vector>

#include "file_support.h"
#include "name_cache.h"
#include "platform/win/fault_injection.h"
#include "platform/win/file_handles.h"
#include "platform/win/path_mapping.h"

namespace platform::win {
namespace {

// Every file open in the process, for the share-mode check. Closed files have fd -1 and are
// dropped at the next open.
std::mutex openMutex;
std::vector<std::weak_ptr<OpenFile>> openFiles;

bool Conflicts(const OpenFile& open, const OpenRequest& request) {
    // A handle without read or write access takes no part in sharing, as on Windows.
    if (!request.read && !request.write) return false;
    if (!open.canRead && !open.canWrite) return false;
    return (request.read && !(open.share & FILE_SHARE_READ)) || (request.write && !(open.share & FILE_SHARE_WRITE)) ||
           (open.canRead && !(request.share & FILE_SHARE_READ)) ||
           (open.canWrite && !(request.share & FILE_SHARE_WRITE));
}

// Held under openMutex, while no close can take the file's descriptor away.
void Identify(OpenFile& file) {
    if (file.identified) return;
    struct stat st;
    if (fstat(file.fd, &st) == 0) {
        file.device = st.st_dev;
        file.inode = st.st_ino;
    }
    file.identified = true;
}

// Checks the file against every other open one and, if it may stay open, registers it. Only files
// whose access and sharing clash need telling apart.
bool Register(const OpenFilePtr& file, const OpenRequest& request) {
    std::lock_guard lock(openMutex);
    std::erase_if(openFiles, [](const std::weak_ptr<OpenFile>& entry) {
        const OpenFilePtr open = entry.lock();
        return !open || open->fd < 0;
    });
    for (const auto& entry : openFiles) {
        const OpenFilePtr open = entry.lock();
        if (!open || !Conflicts(*open, request)) continue;
        Identify(*open);
        Identify(*file);
        if (open->device == file->device && open->inode == file->inode) return false;
    }
    openFiles.push_back(file);
    return true;
}

LONG Check(FaultKind kind, const OpenFile& file) { return static_cast<LONG>(CheckFault(kind, file.windowsPath)); }

}  // namespace

OpenFile::~OpenFile() {
    if (fd >= 0) close(fd);
}

OpenFilePtr OpenFileCore(std::u16string_view windowsPath, const OpenRequest& request, LONG* error, bool* existed) {
    auto fail = [error](LONG code) {
        *error = code;
        return OpenFilePtr();
    };
    const DWORD disposition = request.disposition;
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return fail(ERROR_INVALID_PARAMETER);
    if (disposition == TRUNCATE_EXISTING && !request.write) return fail(ERROR_INVALID_PARAMETER);
    const FilePath path = ResolveFilePath(windowsPath);
    if (!path.ok()) return fail(path.error);

    struct stat st;
    *existed = FollowedStatus(path, &st);
    const bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    if (*existed) {
        // Folders cannot be opened, and plain POSIX paths must not reach devices and the like.
        if (!S_ISREG(st.st_mode)) return fail(ERROR_ACCESS_DENIED);
        if (disposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
        if ((request.write || truncates) && IsReadOnly(st)) return fail(ERROR_ACCESS_DENIED);
    } else {
        const LONG missing = MissingError(path);
        if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) return fail(missing);
        if (missing != ERROR_FILE_NOT_FOUND) return fail(ERROR_PATH_NOT_FOUND);
    }

    auto file = std::make_shared<OpenFile>();
    file->windowsPath = MapToWindows(path.native);
    file->canRead = request.read;
    file->canWrite = request.write;
    file->share = request.share;
    if (const LONG fault = Check(FaultKind::Open, *file)) return fail(fault);

    int flags = O_CLOEXEC | (request.read && request.write ? O_RDWR : request.write ? O_WRONLY : O_RDONLY);
    // A file found missing is created exclusively, so that one made meanwhile is not taken over.
    if (!*existed) flags |= O_CREAT | O_EXCL;
    int fd;
    {
        std::optional<NameChange> change;
        if (!*existed) change.emplace(path.native, path.folderStatus());
        do {
            fd = open(path.native.c_str(), flags, request.readOnly ? 0444 : 0666);
        } while (fd < 0 && errno == EINTR);
        if (change && fd >= 0) change->Made(path.native);
    }
    if (fd < 0) return fail(errno == EEXIST ? ERROR_SHARING_VIOLATION : ErrnoToWin32(errno));
    file->fd = fd;

    if (!Register(file, request)) {
        close(fd);
        file->fd = -1;
        if (!*existed) {
            const NameChange change(path.native);
            unlink(path.native.c_str());
        }
        return fail(ERROR_SHARING_VIOLATION);
    }
    // Truncated only once the share check has allowed the open, so that a refused open loses nothing.
    if (*existed && truncates) {
        const int result = request.write ? ftruncate(fd, 0) : truncate(path.native.c_str(), 0);
        if (result != 0) {
            const LONG truncateError = ErrnoToWin32(errno);
            CloseCore(*file);
            return fail(truncateError);
        }
    }
    *error = ERROR_SUCCESS;
    return file;
}

LONG ReadCore(OpenFile& file, void* buffer, std::size_t size, std::size_t* done) {
    *done = 0;
    if (file.fd < 0) return ERROR_INVALID_HANDLE;
    if (!file.canRead) return ERROR_ACCESS_DENIED;
    if (const LONG fault = Check(FaultKind::Read, file)) return fault;
    auto* out = static_cast<char*>(buffer);
    while (*done < size) {
        const ssize_t got = read(file.fd, out + *done, size - *done);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno == EIO ? ERROR_READ_FAULT : ErrnoToWin32(errno);
        }
        *done += static_cast<std::size_t>(got);
    }
    return ERROR_SUCCESS;
}

LONG WriteCore(OpenFile& file, const void* buffer, std::size_t size, std::size_t* done) {
    *done = 0;
    if (file.fd < 0) return ERROR_INVALID_HANDLE;
    if (!file.canWrite) return ERROR_ACCESS_DENIED;
    if (const LONG fault = Check(FaultKind::Write, file)) return fault;
    const auto* in = static_cast<const char*>(buffer);
    while (*done < size) {
        const ssize_t put = write(file.fd, in + *done, size - *done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return ErrnoToWin32(errno);
        }
        if (put == 0) return ERROR_DISK_FULL;
        *done += static_cast<std::size_t>(put);
    }
    return ERROR_SUCCESS;
}

LONG SeekCore(OpenFile& file, std::int64_t distance, DWORD whence, std::int64_t* position) {
    if (file.fd < 0) return ERROR_INVALID_HANDLE;
    std::int64_t base = 0;
    if (whence == FILE_CURRENT) {
        base = lseek(file.fd, 0, SEEK_CUR);
    } else if (whence == FILE_END) {
        struct stat st;
        base = fstat(file.fd, &st) == 0 ? st.st_size : -1;
    } else if (whence != FILE_BEGIN) {
        return ERROR_INVALID_PARAMETER;
    }
    if (base < 0) return ErrnoToWin32(errno);
    if (distance < 0 && base + distance < 0) return ERROR_NEGATIVE_SEEK;
    const off_t result = lseek(file.fd, static_cast<off_t>(base + distance), SEEK_SET);
    if (result < 0) return ErrnoToWin32(errno);
    if (position) *position = result;
    return ERROR_SUCCESS;
}

LONG SizeCore(OpenFile& file, std::int64_t* size) {
    if (file.fd < 0) return ERROR_INVALID_HANDLE;
    struct stat st;
    if (fstat(file.fd, &st) != 0) return ErrnoToWin32(errno);
    *size = st.st_size;
    return ERROR_SUCCESS;
}

LONG FlushCore(OpenFile& file) {
    if (file.fd < 0) return ERROR_INVALID_HANDLE;
    if (!file.canWrite) return ERROR_ACCESS_DENIED;
    // A write that never reached the disk shows here, so the write faults apply.
    if (const LONG fault = Check(FaultKind::Write, file)) return fault;
    if (fsync(file.fd) != 0 && errno != EINVAL) return ErrnoToWin32(errno);
    return ERROR_SUCCESS;
}

LONG CloseCore(OpenFile& file) {
    int fd;
    {
        std::lock_guard lock(openMutex);
        fd = file.fd;
        file.fd = -1;
    }
    if (fd < 0) return ERROR_INVALID_HANDLE;
    const LONG fault = Check(FaultKind::Close, file);
    const int result = close(fd);
    if (fault) return fault;
    return result == 0 || errno == EINTR ? ERROR_SUCCESS : ErrnoToWin32(errno);
}

}  // namespace platform::win
