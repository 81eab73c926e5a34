// The product's desktop, start-menu and Quick Launch shortcuts.
#pragma once

#include <string>
#include <string_view>

#include "setup/engine/install_records.h"

namespace Setup {

// What one shortcut holds.
struct ShellLinkData {
    std::u16string target;
    std::u16string arguments;
    std::u16string workingFolder;
    std::u16string iconPath;
    int iconIndex = 0;
    std::u16string description;
    int showCommand = 1;  // shown normally
};

// The shell services the shortcuts are made with: a link object saved at a path, the user's
// desktop and application-data folders, and the change notice to the shell. Each one left null is
// the shell's own (the shell link object, the special folders, SHChangeNotify).
struct ShellServices {
    bool (*saveLink)(const ShellLinkData& link, std::u16string_view path) = nullptr;
    std::u16string (*desktopFolder)() = nullptr;
    // Created when missing.
    std::u16string (*appDataFolder)() = nullptr;
    void (*notifyPathChanged)(std::u16string_view path) = nullptr;
    // A special folder by its shell number (the CSIDL values: 0x10 the desktop, 0x26 the program
    // files...), empty when the machine has none; the uninstall never deletes these.
    std::u16string (*specialFolder)(int folderId) = nullptr;
};
void SetShellServices(const ShellServices& services);
ShellServices GetShellServices();

// Host arguments that start the product's profile.
std::u16string ProfileArguments(std::u16string_view profile);

// Makes the desktop shortcut name.lnk (replacing one of that name), records it as the desktop
// shortcut path and returns that path; empty when it could not be made. An empty profile gives
// no arguments.
std::u16string CreateShellLink(std::u16string_view target, std::u16string_view name,
                               std::u16string_view workingFolder, std::u16string_view icon,
                               std::u16string_view profile);

// Makes name.lnk in the start-menu folder folderName below the user's programs folder, records the
// folder and the link path and returns the path; empty when it could not be made.
std::u16string CreateStartMenuLink(std::u16string_view folderName, std::u16string_view name, const ShellLinkData& link);

// Copies the desktop shortcut into the user's Quick Launch folder and records the copy in the
// uninstall entry and the install record of the description. False when nothing was copied.
bool AddQuickLaunchShortcut(const CADVer& description);

}  // namespace Setup
