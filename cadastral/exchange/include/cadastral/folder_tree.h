// Removal of a folder with everything below it.
#pragma once

#include <string>
#include <string_view>

namespace cadastral {

// Deletes every file of the folder at path, recursing into subfolders, then the folder itself.
// A link (to a file or a folder) is removed as it is, never followed. A file that cannot be
// deleted (read-only, in use) stays, and then so does its folder. True when the folder is gone.
bool DeleteFolderTree(const std::string& path);

// False when a file below the folder is read-only, so that deleting it would stop part way.
bool CanDeleteFolderTree(const std::string& path);

// Whether the name can name a folder: not empty, "." or "..", no character Windows refuses in a
// file name nor a control character, and no trailing dot or blank. GBK-aware.
bool IsUsableFolderName(std::string_view name);

// The folder path without one trailing backslash (GBK-aware: a trail byte is not a separator).
std::string WithoutTrailingBackslash(const std::string& path);

}  // namespace cadastral
