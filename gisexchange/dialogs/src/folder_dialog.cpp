#include "gisexchange/folder_dialog.h"

#include <cstring>

#include "drawingutil/browse_folder.h"
#include "platform/text/gbk.h"
#include "platform/ui/messages.h"
#include "platform/win/files.h"

namespace gisexchange {
namespace {

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string EditText(HWND browser)
{
    char text[MAX_PATH] = {};
    GetWindowTextA(GetDlgItem(browser, kFolderEditId), text, sizeof text);
    return text;
}

void CopyPath(char (&to)[MAX_PATH], const std::string& from)
{
    const std::string fitted = platform::text::TruncateGbk(from, MAX_PATH - 1);
    std::memcpy(to, fitted.c_str(), fitted.size() + 1);
}

}  // namespace

CFolderDialog::CFolderDialog(const char* caption, const char* prompt, const char* startFolder, CWnd* parent, UINT flags)
    : m_caption(caption != nullptr ? caption : ""),
      m_prompt(prompt != nullptr ? prompt : ""),
      m_startFolder(startFolder != nullptr ? startFolder : ""),
      m_browserWnd(*this)
{
    m_owner = parent != nullptr ? parent->GetSafeHwnd() : nullptr;
    m_info.hwndOwner = m_owner;
    m_info.pidlRoot = nullptr;
    m_info.pszDisplayName = m_displayName;
    m_info.lpszTitle = m_prompt.c_str();
    m_info.ulFlags = flags;
    m_info.lpfn = &CFolderDialog::BrowseCallback;
    m_info.lParam = reinterpret_cast<LPARAM>(this);
}

CFolderDialog::~CFolderDialog()
{
    if (m_browserWnd.GetSafeHwnd() != nullptr)
        m_browserWnd.UnsubclassWindow();
}

int CFolderDialog::DoModal()
{
    LPMALLOC allocator = nullptr;
    if (SHGetMalloc(&allocator) != S_OK || allocator == nullptr)
        return -1;
    m_accepted = false;
    LPITEMIDLIST list = SHBrowseForFolderA(&m_info);
    if (list != nullptr)
        allocator->Free(list);
    allocator->Release();
    if (m_browserWnd.GetSafeHwnd() != nullptr)
        m_browserWnd.UnsubclassWindow();
    m_browser = nullptr;
    return m_accepted ? 1 : -1;
}

int CFolderDialog::BrowseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data)
{
    auto* dialog = reinterpret_cast<CFolderDialog*>(data);
    if (dialog == nullptr)
        return 0;
    if (msg == BFFM_INITIALIZED)
        dialog->OnInitialized(hwnd);
    else if (msg == BFFM_SELCHANGED)
        dialog->OnSelectionChanged(reinterpret_cast<LPCITEMIDLIST>(lParam));
    return 0;
}

void CFolderDialog::OnInitialized(HWND browser)
{
    m_browser = browser;
    if (!m_caption.empty())
        SetWindowTextA(browser, m_caption.c_str());
    m_browserWnd.SubclassWindow(browser);
    ShowWindow(AddFolderPathEdit(browser, kFolderEditId), SW_SHOW);
    // There is no current directory to fall back on: without a start folder nothing is selected.
    if (!m_startFolder.empty())
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(m_startFolder.c_str()));
}

void CFolderDialog::OnSelectionChanged(LPCITEMIDLIST item)
{
    char path[MAX_PATH] = {};
    ShowChosenFolder(m_browser, kFolderEditId, item, path);
}

BOOL CFolderDialog::CBrowserWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id == static_cast<UINT>(kFolderEditId) && code == EN_CHANGE) {
        const std::string text = EditText(m_hWnd);
        CopyPath(owner_.m_path, text);
        ::SendMessageA(m_hWnd, BFFM_ENABLEOK, 0, text.empty() ? 0 : 1);
        return TRUE;
    }
    if (id == IDOK && code == BN_CLICKED) {
        CopyPath(owner_.m_path, EditText(m_hWnd));
        if (owner_.ValidateFolder(owner_.m_path) == 0) {
            owner_.m_accepted = true;
            EndDialog(m_hWnd, 1);
        } else {
            ::SetFocus(::GetDlgItem(m_hWnd, kFolderEditId));
        }
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

bool CFolderDialog::IsValidFolderName(std::string_view name)
{
    if (name.empty())
        return false;
    auto edge = [](char c) { return c == '\t' || c == ' ' || c == '.'; };
    if (edge(name.front()))
        return false;
    // The last character may be double-byte, whose trail byte is no dot or blank.
    std::size_t last = 0;
    for (std::size_t at = 0; at < name.size(); at += platform::text::GbkCharLength(name, at)) {
        last = at;
        if (platform::text::GbkCharLength(name, at) == 1 && std::strchr("\"*/:<>?\\|", name[at]) != nullptr)
            return false;
    }
    return !(last == name.size() - 1 && edge(name.back()));
}

int CFolderDialog::CheckOrCreatePath(const char* path, bool checkOnly)
{
    if (path == nullptr)
        return 1;
    const std::string text(path);
    if (text.size() <= 2)
        return 1;
    const char drive = text[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) || text[1] != ':' || text[2] != '\\')
        return 1;
    if (text.size() == 3)
        return checkOnly || IsFolder(text) ? 0 : 2;
    std::size_t start = 3;
    for (;;) {
        // Separators are found character by character: a trail byte may look like a backslash.
        const std::size_t end = platform::text::GbkFind(text, '\\', start);
        const std::size_t stop = end == std::string::npos ? text.size() : end;
        if (!IsValidFolderName(std::string_view(text).substr(start, stop - start)))
            return 1;
        if (!checkOnly) {
            const std::string folder = text.substr(0, stop);
            CreateDirectoryA(folder.c_str(), nullptr);
            if (!IsFolder(folder))
                return 2;
        }
        if (end == std::string::npos)
            return 0;
        start = end + 1;
        if (start == text.size())
            return 1;
    }
}

int CFolderDialog::ValidateFolder(const char* path)
{
    int code = CheckOrCreatePath(path, true);
    if (code == 0) {
        if (IsFolder(path))
            return 0;
        if (MessageBoxA(m_browser, "The folder:\n\ndoes not exist. Do you want the folder to be created?\n\n",
                        m_caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return -1;
        code = CheckOrCreatePath(path, false);
        if (code == 0)
            return 0;
    }
    MessageBoxA(m_browser,
                code == 1 ? "The folder:\n\nis invalid. Please reenter.\n\n"
                          : "The folder:\n\ncan not be created. Please double check.\n\n",
                m_caption.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return code;
}

}  // namespace gisexchange
