#include "drawingutil/browse_folder.h"

#include "platform/cad/main_frame.h"
#include "platform/text/gbk.h"
#include "platform/ui/folder_browser.h"
#include "platform/ui/messages.h"

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

namespace {
constexpr int kPathEditTopGap = 27;
constexpr int kPathEditBottomGap = 4;
}  // namespace

HWND AddFolderPathEdit(HWND browser, int editId)
{
    ShowWindow(GetDlgItem(browser, kFolderStatusId), SW_HIDE);
    RECT tree{};
    GetWindowRect(GetDlgItem(browser, kFolderTreeId), &tree);
    POINT topLeft{tree.left, tree.top}, bottomRight{tree.right, tree.bottom};
    ScreenToClient(browser, &topLeft);
    ScreenToClient(browser, &bottomRight);
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                topLeft.x, topLeft.y - kPathEditTopGap, bottomRight.x - topLeft.x,
                                kPathEditTopGap - kPathEditBottomGap, browser,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(editId)), nullptr, nullptr);
    SendMessageA(edit, WM_SETFONT, static_cast<WPARAM>(SendMessageA(browser, WM_GETFONT, 0, 0)), TRUE);
    return edit;
}

void ShowChosenFolder(HWND browser, int editId, LPCITEMIDLIST item, char (&path)[MAX_PATH])
{
    path[0] = '\0';
    if (item == nullptr || !SHGetPathFromIDListA(item, path) || path[1] != ':')
        path[0] = '\0';
    SendMessageA(browser, BFFM_ENABLEOK, 0, path[0] != '\0' ? 1 : 0);
    SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    SetWindowTextA(GetDlgItem(browser, editId), path);
}
