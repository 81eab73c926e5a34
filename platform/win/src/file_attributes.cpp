// Attributes, sizes and times of files and folders.
#include <sys/stat.h>

#include <cerrno>

#include "guard.h"
#include "file_support.h"
#include "platform/win/files.h"

namespace platform::win {
namespace {

// The file's status; false with the last error set when the path does not map or names nothing.
// A link that points at nothing is still there, as a reparse point is on Windows: its own status.
// *link tells whether the path is a link (a reparse point).
bool StatPath(std::u16string_view path, FilePath& file, struct stat& st, bool* link) {
    file = ResolveFilePath(path);
    if (!file.ok()) {
        SetLastError(static_cast<DWORD>(file.error));
        return false;
    }
    struct stat own;
    if (!OwnStatus(file, &own)) {
        SetLastError(static_cast<DWORD>(MissingError(file)));
        return false;
    }
    *link = S_ISLNK(own.st_mode);
    if (!*link || stat(file.native.c_str(), &st) != 0) st = own;
    return true;
}

DWORD GetAttributesCore(std::u16string_view path) {
    FilePath file;
    struct stat st;
    bool link = false;
    if (!StatPath(path, file, st, &link)) return INVALID_FILE_ATTRIBUTES;
    return AttributesOf(st) | (link ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
}

BOOL SetAttributesCore(std::u16string_view path, DWORD attributes) {
    FilePath file;
    struct stat st;
    bool link = false;
    if (!StatPath(path, file, st, &link)) return FALSE;
    const mode_t mode = ModeWithAttributes(st.st_mode, attributes);
    if (mode != (st.st_mode & 07777) && chmod(file.native.c_str(), mode) != 0) {
        SetLastError(static_cast<DWORD>(ErrnoToWin32(errno)));
        return FALSE;
    }
    return TRUE;
}

BOOL GetAttributesExCore(std::u16string_view path, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
    if (level != GetFileExInfoStandard || !info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FilePath file;
    struct stat st;
    bool link = false;
    if (!StatPath(path, file, st, &link)) return FALSE;
    auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(info);
    data->dwFileAttributes = AttributesOf(st) | (link ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    // Linux keeps no creation time in stat; the change time is the closest it has.
    data->ftCreationTime = ToFileTime(st.st_ctim);
    data->ftLastAccessTime = ToFileTime(st.st_atim);
    data->ftLastWriteTime = ToFileTime(st.st_mtim);
    const auto size = S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode) ? 0ULL : static_cast<unsigned long long>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    return TRUE;
}

}  // namespace
}  // namespace platform::win

using platform::win::View;
using platform::win::Widen;

DWORD GetFileAttributesW(LPCWSTR path) {
    return platform::win::Guard<DWORD>(INVALID_FILE_ATTRIBUTES, [&]() -> DWORD { return platform::win::GetAttributesCore(View(path)); });
}
DWORD GetFileAttributesA(LPCSTR path) {
    return platform::win::Guard<DWORD>(INVALID_FILE_ATTRIBUTES, [&]() -> DWORD { return platform::win::GetAttributesCore(Widen(path)); });
}
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::SetAttributesCore(View(path), attributes); });
}
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::SetAttributesCore(Widen(path), attributes); });
}
BOOL GetFileAttributesExW(LPCWSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
    return platform::win::Guard<DWORD>(INVALID_FILE_ATTRIBUTES, [&]() -> DWORD {
        return platform::win::GetAttributesExCore(View(path), level, info);
    });
}
BOOL GetFileAttributesExA(LPCSTR path, GET_FILEEX_INFO_LEVELS level, LPVOID info) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        return platform::win::GetAttributesExCore(Widen(path), level, info);
    });
}
