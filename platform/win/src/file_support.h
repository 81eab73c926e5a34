// Shared pieces of the file calls: path conversion of both forms, errno to Win32 codes, stat to
// attributes and times, and the copy-to-buffer rule of the Win32 string results.
#pragma once

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <string_view>

#include "mapped_path.h"
#include "platform/text/encoding.h"
#include "platform/win/win_types.h"

namespace platform::win {

inline std::u16string Widen(LPCSTR gbk) { return gbk ? text::GbkToUtf16(gbk) : std::u16string(); }
inline std::u16string_view View(LPCWSTR wide) { return wide ? std::u16string_view(wide) : std::u16string_view(); }

// A Windows path made ready for a file call: the Linux path, or a Win32 error, and what the
// mapping saw of it just now.
struct FilePath {
    std::string native;
    LONG error = ERROR_SUCCESS;
    PathSeen seen;
    bool ok() const { return error == ERROR_SUCCESS; }
    bool missingInFolder() const { return seen.kind == PathSeen::Kind::MissingInFolder; }
    // The status of the folder a missing path would go in, as the mapping saw it just now.
    const struct stat* folderStatus() const { return missingInFolder() ? &seen.status : nullptr; }
    // Its own status as seen, when it is there and not a link: what stat would also say.
    const struct stat* plainStatus() const {
        return seen.kind == PathSeen::Kind::Present && !S_ISLNK(seen.status.st_mode) ? &seen.status : nullptr;
    }
};
FilePath ResolveFilePath(std::u16string_view windowsPath);

// The path's own status (a link not followed), and the status stat gives (a link followed), from
// what its mapping saw where it can; false when nothing is there.
bool OwnStatus(const FilePath& path, struct stat* st);
bool FollowedStatus(const FilePath& path, struct stat* st);

LONG ErrnoToWin32(int error);

// ERROR_FILE_NOT_FOUND when the parent folder exists, ERROR_PATH_NOT_FOUND otherwise.
LONG MissingError(const std::string& linuxPath);
LONG MissingError(const FilePath& path);

// The folder part of a Linux path ("." for a bare name).
std::string ParentOf(const std::string& linuxPath);

// True for $ROOT/<letter>: a drive's top folder cannot be removed or renamed.
bool IsDriveFolder(const std::string& linuxPath);

inline bool IsReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }
DWORD AttributesOf(const struct stat& st);
// The permission bits that give a file of mode the attributes: read-only clears every write bit
// and clearing it gives the owner's back; the other bits stay as the user's umask made them.
mode_t ModeWithAttributes(mode_t mode, DWORD attributes);
FILETIME ToFileTime(const timespec& time);

// Copies text and a terminating zero when it fits and returns its length; otherwise returns the
// size needed including the zero and leaves the buffer alone (GetTempPath and friends).
template <typename Char>
DWORD CopyOrNeed(std::basic_string_view<Char> text, Char* buffer, DWORD size) {
    if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.data(), text.size() * sizeof(Char));
    buffer[text.size()] = 0;
    return static_cast<DWORD>(text.size());
}

}  // namespace platform::win
