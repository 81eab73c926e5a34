#include "setup/engine/work_folder.h"

#include <string>

#include "engine_support.h"
#include "platform/win/files.h"
#include "platform/win/last_error.h"

namespace Setup {
namespace {

// Removes what stands at path, as its folder's listing or one question found it (`attributes`): a
// link as a link, a file, or a folder with all it holds, its entries taken as listed. A read-only
// file or folder is made writable first (an earlier extraction may have left one). True when
// nothing is left there.
bool TakeApartFound(const std::u16string& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str()) != FALSE
                                                       : DeleteFileW(path.c_str()) != FALSE;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != FALSE;
    bool emptied = true;
    {
        detail::FindHandle find(path + u"\\*");
        std::u16string name;
        DWORD entry = 0;
        while (find.Next(&name, &entry)) emptied = TakeApartFound(path + u"\\" + name, entry) && emptied;
    }
    return emptied && RemoveDirectoryW(path.c_str()) != FALSE;
}

bool TakeApart(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == static_cast<DWORD>(ERROR_FILE_NOT_FOUND) || error == static_cast<DWORD>(ERROR_PATH_NOT_FOUND);
    }
    return TakeApartFound(path, attributes);
}

bool IsOwnFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsPlainFile(DWORD attributes) {
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

}  // namespace

bool RenewWorkFolder(std::u16string_view folder, TopFiles top) {
    std::u16string path(folder);
    while (path.size() > 3 && path.back() == u'\\') path.pop_back();
    // Without a temporary folder there is no work folder to make.
    if (path.empty()) return false;
    if (top == TopFiles::Keep && IsOwnFolder(GetFileAttributesW(path.c_str()))) {
        bool emptied = true;
        detail::FindHandle find(path + u"\\*");
        std::u16string name;
        DWORD entry = 0;
        while (find.Next(&name, &entry)) {
            if (!IsPlainFile(entry)) emptied = TakeApartFound(path + u"\\" + name, entry) && emptied;
        }
        if (!emptied) return false;
    } else if (!TakeApart(path)) {
        return false;
    } else if (!CreateDirectoryW(path.c_str(), nullptr)) {
        return false;
    }
    return IsOwnFolder(GetFileAttributesW(path.c_str()));
}

TopFiles StartUpTopFiles(std::u16string_view programPath, std::u16string_view folder) {
    const std::u16string programFolder = detail::FolderOf(programPath);
    return detail::Canonical(programFolder) == detail::Canonical(folder) ? TopFiles::Keep : TopFiles::Remove;
}

}  // namespace Setup
