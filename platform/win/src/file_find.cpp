// FindFirstFile / FindNextFile over a snapshot of one folder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

#include "guard.h"
#include "file_support.h"
#include "fold_case.h"
#include "platform/text/gbk.h"
#include "platform/win/files.h"

namespace platform::win {
namespace {

struct FoundEntry {
    std::u16string name;
    struct stat st;
    bool link = false;
};

struct FindState {
    std::vector<FoundEntry> entries;
    std::size_t next = 0;
};

std::mutex findMutex;
std::map<std::uintptr_t, FindState> searches;
std::uintptr_t nextSearch = 0x1000;

bool HasWildcard(std::u16string_view text) { return text.find_first_of(u"*?") != std::u16string_view::npos; }

// Fills the fields both find-data forms share.
template <typename Data>
void FillCommon(const FoundEntry& entry, Data* data) {
    data->dwFileAttributes = AttributesOf(entry.st) | (entry.link ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    data->ftCreationTime = ToFileTime(entry.st.st_ctim);
    data->ftLastAccessTime = ToFileTime(entry.st.st_atim);
    data->ftLastWriteTime = ToFileTime(entry.st.st_mtim);
    const auto size = S_ISDIR(entry.st.st_mode) ? 0ULL : static_cast<unsigned long long>(entry.st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    data->dwReserved0 = 0;
    data->dwReserved1 = 0;
    data->cAlternateFileName[0] = 0;
}

void Fill(const FoundEntry& entry, WIN32_FIND_DATAW* data) {
    FillCommon(entry, data);
    const std::size_t n = std::min<std::size_t>(entry.name.size(), MAX_PATH - 1);
    std::copy_n(entry.name.data(), n, data->cFileName);
    data->cFileName[n] = 0;
}

void Fill(const FoundEntry& entry, WIN32_FIND_DATAA* data) {
    FillCommon(entry, data);
    const std::string name = text::TruncateGbk(text::Utf16ToGbk(entry.name), MAX_PATH - 1);
    std::copy(name.begin(), name.end(), data->cFileName);
    data->cFileName[name.size()] = 0;
}

// Lists the matching entries of the pattern's folder, or returns a Win32 error.
LONG Search(std::u16string_view pattern, std::vector<FoundEntry>& entries) {
    const auto cut = pattern.find_last_of(u"\\/");
    std::u16string_view folder = cut == std::u16string_view::npos ? std::u16string_view() : pattern.substr(0, cut + 1);
    std::u16string_view namePattern = cut == std::u16string_view::npos ? pattern : pattern.substr(cut + 1);
    if (folder.empty() && pattern.size() >= 2 && pattern[1] == u':') {  // "C:*.txt"
        folder = pattern.substr(0, 2);
        namePattern = pattern.substr(2);
    }
    if (namePattern.empty()) return ERROR_FILE_NOT_FOUND;
    if (HasWildcard(folder)) return ERROR_INVALID_NAME;
    if (folder.empty()) folder = u".";

    const FilePath dir = ResolveFilePath(folder);
    if (!dir.ok()) return dir.error;
    struct stat dirStat;
    if (stat(dir.native.c_str(), &dirStat) != 0 || !S_ISDIR(dirStat.st_mode)) return ERROR_PATH_NOT_FOUND;
    if (pattern.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;

    DIR* handle = opendir(dir.native.c_str());
    if (!handle) return ErrnoToWin32(errno);
    const bool driveTop = IsDriveFolder(dir.native) || dir.native == "/";
    // "*.*" means every name on Windows, with or without a dot.
    const std::u16string_view effective = namePattern == u"*.*" ? std::u16string_view(u"*") : namePattern;
    while (const dirent* item = readdir(handle)) {
        const std::string_view name = item->d_name;
        if (driveTop && (name == "." || name == "..")) continue;
        FoundEntry entry{text::Utf8ToUtf16(name), {}, false};
        if (!MatchWildcard(effective, entry.name)) continue;
        // Asked of the open folder, by name: its own status first, a link's target only for a link.
        const std::string own(name);
        if (fstatat(dirfd(handle), own.c_str(), &entry.st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        entry.link = S_ISLNK(entry.st.st_mode);
        struct stat target;
        if (entry.link && fstatat(dirfd(handle), own.c_str(), &target, 0) == 0) entry.st = target;
        entries.push_back(std::move(entry));
    }
    closedir(handle);
    std::sort(entries.begin(), entries.end(), [](const FoundEntry& a, const FoundEntry& b) {
        return FoldCase(std::u16string_view(a.name)) < FoldCase(std::u16string_view(b.name));
    });
    return entries.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

template <typename Data>
HANDLE FindFirstCore(std::u16string_view pattern, Data* data) {
    if (!data || pattern.empty()) {
        SetLastError(pattern.empty() ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    FindState state;
    if (const LONG error = Search(pattern, state.entries)) {
        SetLastError(static_cast<DWORD>(error));
        return INVALID_HANDLE_VALUE;
    }
    Fill(state.entries[0], data);
    state.next = 1;
    std::lock_guard lock(findMutex);
    const std::uintptr_t id = nextSearch;
    nextSearch += 4;
    searches.emplace(id, std::move(state));
    return reinterpret_cast<HANDLE>(id);
}

template <typename Data>
BOOL FindNextCore(HANDLE find, Data* data) {
    std::lock_guard lock(findMutex);
    const auto it = searches.find(reinterpret_cast<std::uintptr_t>(find));
    if (it == searches.end() || !data) {
        SetLastError(it == searches.end() ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FindState& state = it->second;
    if (state.next >= state.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    Fill(state.entries[state.next++], data);
    return TRUE;
}

}  // namespace
}  // namespace platform::win

HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    return platform::win::Guard<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        return platform::win::FindFirstCore(platform::win::View(pattern), data);
    });
}
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    return platform::win::Guard<HANDLE>(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
        return platform::win::FindFirstCore(std::u16string_view(platform::win::Widen(pattern)), data);
    });
}
BOOL FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::FindNextCore(find, data); });
}
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA data) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL { return platform::win::FindNextCore(find, data); });
}

BOOL FindClose(HANDLE find) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        std::lock_guard lock(platform::win::findMutex);
        if (platform::win::searches.erase(reinterpret_cast<std::uintptr_t>(find)) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return TRUE;
    });
}
