#include "drawingutil/browse_folder.h"

#include "platform/cad/main_frame.h"
#include "platform/text/gbk.h"
#include "platform/ui/folder_browser.h"

bool BrowseForFolder(const char* title, std::string& path)
{
    LPMALLOC allocator = nullptr;
    if (SHGetMalloc(&allocator) != S_OK || allocator == nullptr)
        return false;
    char display[MAX_PATH] = {};
    BROWSEINFOA info;
    info.hwndOwner = adsw_acadMainWnd();
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = BIF_DONTGOBELOWDOMAIN;
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (list == nullptr) {
        allocator->Release();
        return false;
    }
    char chosen[MAX_PATH] = {};
    bool resolved = SHGetPathFromIDListA(list, chosen) != FALSE;
    allocator->Free(list);
    allocator->Release();
    if (!resolved)
        return false;
    path = chosen;
    // A root such as "C:\" already ends in a separator; a trail byte that looks like one does not.
    bool endsInSeparator = !path.empty() && path.back() == '\\' &&
                           platform::text::IsGbkCharBoundary(path, path.size() - 1);
    if (!endsInSeparator)
        path += '\\';
    return true;
}
