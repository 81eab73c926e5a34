// Picking a folder with the shell's folder browser.
#pragma once

#include <string>

// Shows the folder browser owned by the host's main window with the title. True with the chosen
// folder's path, ending in a backslash; false with `path` untouched when the user cancels or the
// choice has no file-system path.
bool BrowseForFolder(const char* title, std::string& path);
