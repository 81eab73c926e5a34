// The folder chooser of the save commands: the shell's folder browser with an edit box above the
// tree, so that a path may also be typed. A typed folder that does not exist is offered for
// creation, level by level; OK is taken only for a path that passes the check.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui/afx_wnd.h"
#include "platform/ui/folder_browser.h"

namespace gisexchange {

constexpr int kFolderEditId = 14148;

class CFolderDialog {
public:
    // Flags as the shell's browse information takes them; the save commands pass
    // BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT.
    CFolderDialog(const char* caption, const char* prompt, const char* startFolder, CWnd* parent,
                  UINT flags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
    ~CFolderDialog();
    CFolderDialog(const CFolderDialog&) = delete;
    CFolderDialog& operator=(const CFolderDialog&) = delete;

    // 1 with the accepted path in GetPath(), -1 otherwise.
    int DoModal();
    const char* GetPath() const { return m_path; }

    // Not empty, no tab, blank or "." at either end, and none of " * / : < > ? \ | inside.
    static bool IsValidFolderName(std::string_view name);
    // 0 valid (and, when creating, created), 1 invalid, 2 cannot be created or does not exist.
    static int CheckOrCreatePath(const char* path, bool checkOnly);
    // 0 accepted, -1 the user declined to create the folder, 1 or 2 after the error message.
    int ValidateFolder(const char* path);

private:
    // The browser window, subclassed so that OK and the edit box come here first.
    class CBrowserWnd : public CWnd {
    public:
        explicit CBrowserWnd(CFolderDialog& owner) : owner_(owner) {}
        BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    private:
        CFolderDialog& owner_;
    };

    static int BrowseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);
    void OnInitialized(HWND browser);
    void OnSelectionChanged(LPCITEMIDLIST item);

    std::string m_caption;
    std::string m_prompt;
    std::string m_startFolder;
    HWND m_owner = nullptr;
    char m_displayName[MAX_PATH] = {};
    BROWSEINFOA m_info;
    char m_path[MAX_PATH] = {};
    HWND m_browser = nullptr;
    CBrowserWnd m_browserWnd;
    bool m_accepted = false;
};

}  // namespace gisexchange
