// Removal of a folder with everything below it.
#pragma once

#include <string>

namespace cadastral {

// Deletes every file of the folder at path, recursing into subfolders, then the folder itself.
// A link (to a file or a folder) is removed as it is, never followed. A file that cannot be
// deleted (read-only, in use) stays, and then so does its folder. True when the folder is gone.
bool DeleteFolderTree(const std::string& path);

// False when a file below the folder is read-only, so that deleting it would stop part way.
bool CanDeleteFolderTree(const std::string& path);

// The folder path without one trailing backslash (GBK-aware: a trail byte is not a separator).
std::string WithoutTrailingBackslash(const std::string& path);

}  // namespace cadastral
