#include "setup/engine/install_state.h"

#include <atomic>

#include "platform/win/system_time.h"

namespace Setup {

std::u16string g_programFolder;
std::u16string g_wizardTitle = u"安装向导";
int g_backColor = 0;
int g_totalSize = 0;
int g_useHeader = 1;
int g_useBackground = 1;
int g_wizardMode = 0;
std::atomic<HWND> g_backdropWindow{nullptr};
std::vector<CADVer> g_packageProfiles;
std::vector<CADVer> g_componentEntries;
std::vector<std::u16string> g_installedFiles;
std::u16string g_desktopShortcutPath;
std::u16string g_startMenuFolder;
std::u16string g_startMenuShortcutPath;
std::u16string g_uninstallRecoveryFolder;
std::vector<std::u16string> g_recoveryFiles;
std::vector<std::u16string> g_originFiles;

namespace {

std::atomic<LocalTimeSource> g_timeSource{nullptr};

LocalTime SystemLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}


}  // namespace


void SetLocalTimeSource(LocalTimeSource source) { g_timeSource.store(source); }

LocalTime CurrentLocalTime() {
    const LocalTimeSource source = g_timeSource.load();
    return source ? source() : SystemLocalTime();
}

}  // namespace Setup
