#include "cadastral/folder_tree.h"

#include <algorithm>
#include <vector>

#include "platform/text/gbk.h"
#include "platform/win/files.h"

namespace cadastral {


bool IsUsableFolderName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    std::size_t last = 0;
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = std::max<std::size_t>(1, platform::text::GbkCharLength(name, at));
        if (length == 1) {
            const unsigned char c = static_cast<unsigned char>(name[at]);
            if (c < 0x20 || c == 0x7F) return false;
            if (std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) return false;
        }
        last = at;
        at += length;
    }
    const bool singleByteLast = last == name.size() - 1;
    return !(singleByteLast && (name.back() == '.' || name.back() == ' '));
}

std::string WithoutTrailingBackslash(const std::string& path) {
    const std::size_t last = platform::text::GbkFindLastSeparator(path);
    if (!path.empty() && last == path.size() - 1 && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

namespace {

struct Entry {
    std::string name;
    DWORD attributes;
};

// The whole listing is read before anything is deleted, so that deleting never disturbs the search.
std::vector<Entry> ListFolder(const std::string& folder) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAA data{};
    const std::string pattern = folder + "\\*.*";
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        entries.push_back({name, data.dwFileAttributes});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
}

}  // namespace

bool CanDeleteFolderTree(const std::string& path) {
    const std::string folder = WithoutTrailingBackslash(path);
    for (const Entry& entry : ListFolder(folder)) {
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        if (entry.attributes & FILE_ATTRIBUTE_READONLY) return false;
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !CanDeleteFolderTree(folder + "\\" + entry.name))
            return false;
    }
    return true;
}

bool DeleteFolderTree(const std::string& path) {
    const std::string folder = WithoutTrailingBackslash(path);
    if (folder.empty()) return false;
    for (const Entry& entry : ListFolder(folder)) {
        const std::string child = folder + "\\" + entry.name;
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // The link itself goes; what it points at is not ours to delete.
            if (!RemoveDirectoryA(child.c_str())) DeleteFileA(child.c_str());
        } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            DeleteFolderTree(child);
        } else {
            DeleteFileA(child.c_str());
        }
    }
    return RemoveDirectoryA(folder.c_str()) != FALSE;
}

}  // namespace cadastral
