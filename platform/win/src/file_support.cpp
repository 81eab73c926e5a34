#include "file_support.h"

#include <cerrno>

#include "platform/win/files.h"
#include "platform/win/path_mapping.h"
#include "platform/win/root.h"

namespace platform::win {

FilePath ResolveFilePath(std::u16string_view windowsPath) {
    FilePath result;
    // Windows refuses longer paths in these calls, and the product's buffers are this size.
    if (windowsPath.size() >= MAX_PATH) {
        result.error = ERROR_FILENAME_EXCED_RANGE;
        return result;
    }
    result.native = MapToLinuxSeeing(windowsPath, &result.error, &result.seen);
    return result;
}

bool OwnStatus(const FilePath& path, struct stat* st) {
    if (path.seen.kind == PathSeen::Kind::Present) {
        *st = path.seen.status;
        return true;
    }
    return !path.missingInFolder() && lstat(path.native.c_str(), st) == 0;
}

bool FollowedStatus(const FilePath& path, struct stat* st) {
    if (const struct stat* plain = path.plainStatus()) {
        *st = *plain;
        return true;
    }
    return !path.missingInFolder() && stat(path.native.c_str(), st) == 0;
}

LONG ErrnoToWin32(int error) {
    switch (error) {
        case 0: return ERROR_SUCCESS;
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return ERROR_ACCESS_DENIED;
        case EEXIST: return ERROR_ALREADY_EXISTS;
        case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
        case ENOSPC:
        case EFBIG:
        case EDQUOT: return ERROR_DISK_FULL;
        case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
        case EXDEV: return ERROR_NOT_SAME_DEVICE;
        case EBUSY:
        case ETXTBSY: return ERROR_SHARING_VIOLATION;
        case EINVAL: return ERROR_INVALID_PARAMETER;
        case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
        case EIO: return ERROR_WRITE_FAULT;
        default: return ERROR_ACCESS_DENIED;
    }
}

std::string ParentOf(const std::string& linuxPath) {
    const auto slash = linuxPath.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return linuxPath.substr(0, slash);
}

LONG MissingError(const std::string& linuxPath) {
    struct stat st;
    const std::string parent = ParentOf(linuxPath);
    return (stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

LONG MissingError(const FilePath& path) {
    return path.missingInFolder() ? ERROR_FILE_NOT_FOUND : MissingError(path.native);
}

bool IsDriveFolder(const std::string& linuxPath) {
    const std::string root = GetRoot();
    return linuxPath.size() == root.size() + 2 && linuxPath.compare(0, root.size(), root) == 0 &&
           linuxPath[root.size()] == '/';
}

mode_t ModeWithAttributes(mode_t mode, DWORD attributes) {
    mode &= 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY) return mode & ~static_cast<mode_t>(0222);
    return mode | S_IWUSR;
}

DWORD AttributesOf(const struct stat& st) {
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (IsReadOnly(st)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

FILETIME ToFileTime(const timespec& time) {
    // Seconds between 1601-01-01 and 1970-01-01.
    constexpr std::uint64_t kEpochDifference = 11644473600ULL;
    const std::uint64_t ticks = (static_cast<std::uint64_t>(time.tv_sec) + kEpochDifference) * 10000000ULL +
                                static_cast<std::uint64_t>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

}  // namespace platform::win
