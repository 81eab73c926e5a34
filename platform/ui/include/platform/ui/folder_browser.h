// The shell's folder browser: a modal dialog with a folder tree (control 14145), a status line
// (14147), OK and Cancel, that reports to a callback as a person moves through it.
//
// Headless, the folder comes from the answer source: the browser is created, the callback hears
// BFFM_INITIALIZED, the answered folder is selected (BFFM_SELCHANGED) and OK is pressed through
// the browser window, so code that subclasses the browser sees every step. A folder answer may
// instead carry driver actions, which then run on the browser window.
#pragma once

#include "platform/ui/window_api.h"

struct DeroItemIdList;
using LPITEMIDLIST = DeroItemIdList*;
using LPCITEMIDLIST = const DeroItemIdList*;
using PIDLIST_ABSOLUTE = LPITEMIDLIST;
using BFFCALLBACK = int (*)(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);

struct BROWSEINFOA {
    HWND hwndOwner = nullptr;
    LPCITEMIDLIST pidlRoot = nullptr;
    LPSTR pszDisplayName = nullptr;
    LPCSTR lpszTitle = nullptr;
    UINT ulFlags = 0;
    BFFCALLBACK lpfn = nullptr;
    LPARAM lParam = 0;
    int iImage = 0;
};
struct BROWSEINFOW {
    HWND hwndOwner = nullptr;
    LPCITEMIDLIST pidlRoot = nullptr;
    LPWSTR pszDisplayName = nullptr;
    LPCWSTR lpszTitle = nullptr;
    UINT ulFlags = 0;
    BFFCALLBACK lpfn = nullptr;
    LPARAM lParam = 0;
    int iImage = 0;
};
using BROWSEINFO = BROWSEINFOA;

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
constexpr UINT BIF_STATUSTEXT = 0x0004;
constexpr UINT BIF_EDITBOX = 0x0010;
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;
constexpr UINT BFFM_SETSTATUSTEXTA = WM_USER + 100;
constexpr UINT BFFM_ENABLEOK = WM_USER + 101;
constexpr UINT BFFM_SETSELECTIONA = WM_USER + 102;
constexpr UINT BFFM_SETSTATUSTEXTW = WM_USER + 104;
constexpr UINT BFFM_SETSELECTIONW = WM_USER + 103;
constexpr int kFolderTreeId = 14145;
constexpr int kFolderStatusId = 14147;
constexpr int kFolderTitleId = 14146;

// The chosen folder's item list (free it with CoTaskMemFree or the shell allocator), or null.
LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info);
LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info);
BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);
BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path);
void CoTaskMemFree(void* memory);

// The shell allocator, as COM hands it out.
struct IMalloc {
    virtual void* Alloc(std::size_t size) = 0;
    virtual void Free(void* memory) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IMalloc() = default;
};
using LPMALLOC = IMalloc*;
HRESULT SHGetMalloc(LPMALLOC* allocator);

inline LPITEMIDLIST SHBrowseForFolder(BROWSEINFOA* info) { return SHBrowseForFolderA(info); }
inline BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPSTR path) { return SHGetPathFromIDListA(list, path); }
