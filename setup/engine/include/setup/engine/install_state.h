// The process-wide values the install engine shares with the wizard. Only the user-interface
// thread and the one running worker touch them, one after the other, so they take no locks.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/win/win_types.h"
#include "setup/engine/install_records.h"

namespace Setup {

// The folder of the running program, without a trailing backslash; LoadSetupXml fills it when
// it is still empty.
extern std::u16string g_programFolder;

// Wizard settings from the package's "setup.xml".
extern std::u16string g_wizardTitle;  // "安装向导" until the first profile names one
extern int g_backColor;
extern int g_totalSize;  // megabytes the install needs besides the package
extern int g_useHeader;
extern int g_useBackground;
extern int g_wizardMode;  // 0 setup wizard, 1 patch wizard, anything else none

// The wizards' full-screen backdrop while it exists, else null. A finished run moves it to the
// bottom of the window order, so the windows the run opened stay in front of it.
extern std::atomic<HWND> g_backdropWindow;

// The package's install profiles and component entries, as LoadSetupXml read them.
extern std::vector<CADVer> g_packageProfiles;
extern std::vector<CADVer> g_componentEntries;

// Every target path a copy with backup wrote in the running install, in copy order.
extern std::vector<std::u16string> g_installedFiles;

// The shortcuts of the running install, empty until they are made.
extern std::u16string g_desktopShortcutPath;
extern std::u16string g_startMenuFolder;
extern std::u16string g_startMenuShortcutPath;

// The uninstall's recovery folder (the temporary folder + "\derorecovery") while an uninstall
// with backup runs, else empty; files are moved aside only while it is set.
extern std::u16string g_uninstallRecoveryFolder;
// Where each moved file went (g_recoveryFiles[i]) and where it came from (g_originFiles[i]),
// kept in step; a restore after a cancelled uninstall puts them back.
extern std::vector<std::u16string> g_recoveryFiles;
extern std::vector<std::u16string> g_originFiles;

// Local time, for the records' "time" values.
struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
using LocalTimeSource = LocalTime (*)();
// Replaces the clock (null: the system's local time again).
void SetLocalTimeSource(LocalTimeSource source);
LocalTime CurrentLocalTime();

}  // namespace Setup
