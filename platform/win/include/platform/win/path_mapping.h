// Windows-form paths onto the mapped root, and back.
//
// "C:\x\y" is $DERO_ROOT/c/x/y; both separators are accepted; "/x/y" and "\x\y" are the Linux path
// /x/y; anything else is relative to the current folder. Existing components are found without
// regard to case, missing ones keep the case they were given. ".." never climbs above a drive.
// The empty path never maps, so a forgotten folder name can never mean a whole drive.
// What is read of a folder's names is kept while the folder stays as seen, so that looking up a
// new name costs no read of the whole folder.
#pragma once

#include <string>
#include <string_view>

#include "platform/win/win_types.h"

namespace platform::win {

// The Linux path (UTF-8), or "" with *error set (ERROR_PATH_NOT_FOUND for an empty path,
// ERROR_INVALID_NAME for characters Windows refuses, ERROR_BAD_NETPATH for UNC paths).
std::string MapToLinux(std::u16string_view windowsPath, LONG* error = nullptr);
std::string MapToLinux(std::string_view gbkPath, LONG* error = nullptr);

// The Windows form of a Linux path (UTF-8): "C:\..." below the root, "\x\y" elsewhere.
std::u16string MapToWindows(std::string_view linuxPath);
std::string MapToWindowsA(std::string_view linuxPath);

}  // namespace platform::win
