// The folder browser dialog and the shell's item lists and allocator.
#include "platform/ui/folder_browser.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/ui_driver.h"

struct DeroItemIdList {
    std::string path;  // GBK; a name beginning with "::" is a virtual folder without a path
};

namespace {

std::mutex g_mutex;
std::set<const void*>& Lists() {
    static auto* lists = new std::set<const void*>();
    return *lists;
}

LPITEMIDLIST NewList(const std::string& path) {
    auto* list = new DeroItemIdList{path};
    std::lock_guard lock(g_mutex);
    Lists().insert(list);
    return list;
}

bool IsFileSystem(const std::string& path) {
    return path.size() >= 2 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':';
}

struct BrowserState {
    BFFCALLBACK callback = nullptr;
    LPARAM data = 0;
    std::string selection;
};

INT_PTR BrowserProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<BrowserState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
            return TRUE;
        case BFFM_SETSELECTIONA:
        case BFFM_SETSELECTIONW: {
            if (!state || !wParam || !lParam) {
                return TRUE;
            }
            state->selection = msg == BFFM_SETSELECTIONW
                                   ? platform::text::Utf16ToGbk(reinterpret_cast<LPCWSTR>(lParam))
                                   : std::string(reinterpret_cast<LPCSTR>(lParam));
            if (state->callback) {
                DeroItemIdList list{state->selection};
                state->callback(hwnd, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(&list), state->data);
            }
            return TRUE;
        }
        case BFFM_SETSTATUSTEXTA:
            SetDlgItemTextA(hwnd, kFolderStatusId, reinterpret_cast<LPCSTR>(lParam));
            return TRUE;
        case BFFM_SETSTATUSTEXTW:
            SetDlgItemTextW(hwnd, kFolderStatusId, reinterpret_cast<LPCWSTR>(lParam));
            return TRUE;
        case BFFM_ENABLEOK:
            EnableWindow(GetDlgItem(hwnd, IDOK), lParam != 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                EndDialog(hwnd, 1);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, 0);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

platform::ui::DialogTemplate BrowserTemplate(const std::string& title) {
    using platform::ui::ControlKind;
    platform::ui::DialogTemplate t;
    t.caption = "浏览文件夹";
    t.fontFace = "宋体";
    t.pointSize = 9;
    t.cx = 227;
    t.cy = 270;
    t.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    t.controls = {
        platform::ui::Control(kFolderTitleId, ControlKind::Static, title, 7, 7, 213, 24),
        platform::ui::Control(kFolderStatusId, ControlKind::Static, "", 7, 33, 213, 10),
        platform::ui::Control(kFolderTreeId, ControlKind::TreeView, "", 7, 60, 213, 176, TVS_HASBUTTONS | TVS_HASLINES),
        platform::ui::Control(IDOK, ControlKind::DefPushButton, "确定", 116, 246, 50, 14),
        platform::ui::Control(IDCANCEL, ControlKind::PushButton, "取消", 170, 246, 50, 14),
    };
    return t;
}

// Runs the browser; the chosen path (GBK) or nothing.
bool Browse(HWND owner, const std::string& title, BFFCALLBACK callback, LPARAM data, std::string& chosen) {
    BrowserState state;
    state.callback = callback;
    state.data = data;
    HWND browser = platform::ui::CreateDialogFromTemplate(BrowserTemplate(title), owner, &BrowserProc,
                                                          reinterpret_cast<LPARAM>(&state));
    if (!browser) {
        return false;
    }
    if (callback) {
        callback(browser, BFFM_INITIALIZED, 0, data);
    }
    ShowWindow(browser, SW_SHOW);
    platform::ui::Request request;
    request.kind = platform::ui::RequestKind::Folder;
    request.caption = title;
    request.text = state.selection;
    request.window = browser;
    platform::ui::Answer answer = platform::ui::Ask(request);
    platform::ui::UiDriver driver(browser);
    if (!answer.cancel) {
        if (answer.actions) {
            answer.actions(driver);
        } else {
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(answer.text.c_str()));
            driver.Pump();
            driver.Click(IDOK);
        }
    }
    driver.Pump();
    if (IsWindow(browser) && !platform::ui::IsDialogEnded(browser)) {
        platform::ui::AppendTranscript("folder browser left open: cancel");
        SendMessageA(browser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        driver.Pump();
        if (IsWindow(browser) && !platform::ui::IsDialogEnded(browser)) {
            EndDialog(browser, 0);
        }
    }
    bool accepted = IsWindow(browser) && platform::ui::IsDialogEnded(browser) && platform::ui::DialogResult(browser) == 1;
    chosen = state.selection;
    if (IsWindow(browser)) {
        DestroyWindow(browser);
    }
    platform::ui::AppendTranscript(accepted ? platform::text::Format("folder browser closed: \"%s\"", chosen)
                                            : std::string("folder browser closed: cancel"));
    return accepted;
}

struct ShellAllocator final : IMalloc {
    void* Alloc(std::size_t size) override { return std::malloc(size); }
    void Free(void* memory) override { CoTaskMemFree(memory); }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
};

}  // namespace

LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info) {
    if (!info) {
        return nullptr;
    }
    std::string chosen;
    if (!Browse(info->hwndOwner, info->lpszTitle ? info->lpszTitle : "", info->lpfn, info->lParam, chosen)) {
        return nullptr;
    }
    if (info->pszDisplayName) {
        std::size_t sep = platform::text::GbkFindLastSeparator(chosen);
        std::string name = sep == std::string::npos ? chosen : chosen.substr(sep + 1);
        name = platform::text::TruncateGbk(name, MAX_PATH - 1);
        std::memcpy(info->pszDisplayName, name.c_str(), name.size() + 1);
    }
    return NewList(chosen);
}

LPITEMIDLIST SHBrowseForFolderW(BROWSEINFOW* info) {
    if (!info) {
        return nullptr;
    }
    std::string chosen;
    std::string title = platform::text::Utf16ToGbk(info->lpszTitle ? info->lpszTitle : u"");
    if (!Browse(info->hwndOwner, title, info->lpfn, info->lParam, chosen)) {
        return nullptr;
    }
    if (info->pszDisplayName) {
        std::size_t sep = platform::text::GbkFindLastSeparator(chosen);
        std::u16string name = platform::text::GbkToUtf16(sep == std::string::npos ? chosen : chosen.substr(sep + 1));
        name = name.substr(0, MAX_PATH - 1);
        std::copy(name.begin(), name.end(), info->pszDisplayName);
        info->pszDisplayName[name.size()] = u'\0';
    }
    return NewList(chosen);
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
    if (!path) {
        return FALSE;
    }
    path[0] = '\0';
    if (!list || !IsFileSystem(list->path) || list->path.size() >= MAX_PATH) {
        return FALSE;
    }
    std::memcpy(path, list->path.c_str(), list->path.size() + 1);
    return TRUE;
}

BOOL SHGetPathFromIDListW(LPCITEMIDLIST list, LPWSTR path) {
    if (!path) {
        return FALSE;
    }
    path[0] = u'\0';
    if (!list || !IsFileSystem(list->path)) {
        return FALSE;
    }
    std::u16string wide = platform::text::GbkToUtf16(list->path);
    if (wide.size() >= MAX_PATH) {
        return FALSE;
    }
    std::copy(wide.begin(), wide.end(), path);
    path[wide.size()] = u'\0';
    return TRUE;
}

void CoTaskMemFree(void* memory) {
    if (!memory) {
        return;
    }
    {
        std::lock_guard lock(g_mutex);
        if (Lists().erase(memory)) {
            delete static_cast<DeroItemIdList*>(memory);
            return;
        }
    }
    std::free(memory);
}

HRESULT SHGetMalloc(LPMALLOC* allocator) {
    static ShellAllocator shell;
    if (!allocator) {
        return E_INVALIDARG;
    }
    *allocator = &shell;
    return S_OK;
}
