#include "setup/wizard/restart_state.h"

#include <array>
#include <cstdlib>

#include "platform/text/format.h"
#include "platform/ui/window_api.h"
#include "platform/win/crt_files.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/registry.h"
#include "platform/win/security.h"
#include "platform/win/processes.h"
#include "setup/engine/install_state.h"
#include "setup/wizard/globals.h"

namespace Setup {
namespace {

constexpr char16_t kRunOnceKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr char16_t kRunOnceValue[] = u"installsetup";

ProcessEnd g_processEnd = nullptr;

std::u16string RestartFile() { return g_programFolder + u"\\restart.def"; }

std::u16string Trimmed(std::u16string_view text) {
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    std::size_t b = 0, e = text.size();
    while (b < e && blank(text[b])) ++b;
    while (e > b && blank(text[e - 1])) --e;
    return std::u16string(text.substr(b, e - b));
}

void Box(const char* text) { MessageBoxA(nullptr, text, "", MB_OK); }

}  // namespace

void SetProcessEnd(ProcessEnd end) { g_processEnd = end; }

bool RestartPending() { return GetFileAttributesW(RestartFile().c_str()) != INVALID_FILE_ATTRIBUTES; }

int WriteRestartState(const CADVer& description) {
    if (platform::win::FILE* file = platform::win::_wfopen(RestartFile().c_str(), u"w")) {
        platform::win::fwprintf(file, u"重启");
        platform::win::fwprintf(file, u"\n%d", description.fresh);
        for (const std::u16string* text : {&description.product, &description.installFolder,
                                           &description.relatedFile, static_cast<const std::u16string*>(&g_desktopShortcutPath)}) {
            platform::win::fwprintf(file, u"\n%s", *text);
        }
        platform::win::fclose(file);
    }
    g_deleteWorkFolder = 0;
    SetRunOnceEntry();
    if (MessageBoxA(nullptr, "需要重启机器以完成安装。单击确定自动重启，单击取消稍后手动重启\n", "",
                    MB_OKCANCEL) == IDCANCEL) {
        return 0;
    }
    RebootSystem();
    (g_processEnd ? g_processEnd : &std::exit)(0);
    return 1;
}

void ReadRestartState(CADVer& description) {
    platform::win::FILE* file = platform::win::_wfopen(RestartFile().c_str(), u"r");
    if (file == nullptr) {
        return;
    }
    std::array<char16_t, 256> line{};
    for (int n = 1; platform::win::fgetws(line.data(), static_cast<int>(line.size()), file) != nullptr; ++n) {
        std::u16string text = Trimmed(line.data());
        switch (n) {
            case 2: {
                std::string digits(text.begin(), text.end());
                description.fresh = static_cast<int>(std::strtol(digits.c_str(), nullptr, 10));
                break;
            }
            case 3: description.product = text; break;
            case 4: description.installFolder = text; break;
            case 5: description.relatedFile = text; break;
            case 6: g_desktopShortcutPath = text; break;
            default: break;
        }
    }
    platform::win::fclose(file);
}

void DeleteRestartState() { DeleteFileW(RestartFile().c_str()); }

void SetRunOnceEntry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS &&
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
        return;
    }
    std::array<char16_t, 260> path{};
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n >= path.size()) n = 0;
    RegSetValueExW(key, kRunOnceValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.data()),
                   (n + 1) * sizeof(char16_t));
    RegCloseKey(key);
}

bool ReadRunOnceEntry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunOnceKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    std::array<char16_t, 131> text{};
    DWORD size = 260;
    DWORD type = 0;
    LONG result = RegQueryValueExW(key, kRunOnceValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        return false;
    }
    return std::u16string(text.data()).size() > 2;
}

void RebootSystem() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        Box("OpenProcessToken Error.");
        return;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(0);
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    if (GetLastError() != 0) {
        Box("AdjustTokenPrivileges Error.");
        return;
    }
    if (!ExitWindowsEx(EWX_REBOOT, 0)) {
        Box("ExitWindowsEx Error.");
    }
}

}  // namespace Setup
