// Picking a folder with the shell's folder browser.
#pragma once

#include <string>

#include "platform/ui/folder_browser.h"

// Shows the folder browser owned by the host's main window with the title. True with the chosen
// folder's path, ending in a backslash; false with `path` untouched when the user cancels or the
// choice has no file-system path.
bool BrowseForFolder(const char* title, std::string& path);

// For a folder browser that takes a typed path too. At BFFM_INITIALIZED: hides the status line
// and puts an edit box of the id in its place, just above the folder tree and as wide.
HWND AddFolderPathEdit(HWND browser, int editId);
// At BFFM_SELCHANGED: the chosen item's path in `path` when it is a path on a drive (else empty),
// OK enabled only for such a path, and the status line and the edit box showing it.
void ShowChosenFolder(HWND browser, int editId, LPCITEMIDLIST item, char (&path)[MAX_PATH]);
