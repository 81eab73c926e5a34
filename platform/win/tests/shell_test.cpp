#include "platform/win/shell.h"

#include <filesystem>

#include "platform/text/encoding.h"
#include "platform/win/file_handles.h"
#include "platform/win/machine.h"
#include "platform/win/path_mapping.h"
#include "platform/win/processes.h"
#include "platform/win/registry.h"
#include "platform/win/security.h"
#include "temp_root.h"

namespace {

class ShellTest : public TempRoot {
protected:
    void Machine(const std::u16string& facts) {
        WriteFile(root() + "/machine.txt", platform::text::Utf16ToUtf8(facts));
    }
};

std::u16string ShellFolder(HKEY root, const char16_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return u"<no key>";
    char16_t buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer;
    const LONG result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::u16string(buffer) : u"<no value>";
}

// The running processes' file names and each one's module paths, from a snapshot.
std::vector<std::pair<std::u16string, std::vector<std::u16string>>> Snapshot() {
    std::vector<std::pair<std::u16string, std::vector<std::u16string>>> result;
    const HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(processes, &entry); more; more = Process32NextW(processes, &entry)) {
        std::vector<std::u16string> modules;
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, entry.th32ProcessID);
        MODULEENTRY32W module{};
        module.dwSize = sizeof module;
        for (BOOL next = Module32FirstW(snapshot, &module); next; next = Module32NextW(snapshot, &module))
            modules.push_back(module.szExePath);
        CloseHandle(snapshot);
        result.emplace_back(entry.szExeFile, modules);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    CloseHandle(processes);
    return result;
}

}  // namespace

TEST_F(ShellTest, SpecialFoldersAreAFreshMachines) {
    Machine(u"user = 测绘员\n");
    WCHAR path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAM_FILES, FALSE));
    EXPECT_EQ(std::u16string(path), u"C:\\Program Files");
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE));
    EXPECT_EQ(std::u16string(path), u"C:\\Users\\测绘员\\Desktop");
    EXPECT_TRUE(
        std::filesystem::is_directory(root() + platform::text::Utf16ToUtf8(u"/c/Users/测绘员/Desktop")));
    EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, 0x3F, FALSE));

    // What the installer reads from the registry agrees with what the shell answers.
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PROGRAMS, FALSE));
    EXPECT_EQ(ShellFolder(HKEY_CURRENT_USER, u"Programs"), std::u16string(path));
    EXPECT_EQ(ShellFolder(HKEY_CURRENT_USER, u"Fonts"), u"C:\\Windows\\Fonts");
    EXPECT_EQ(ShellFolder(HKEY_LOCAL_MACHINE, u"Common AppData"), u"C:\\ProgramData");
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_TRUE(std::filesystem::is_directory(
        platform::win::MapToLinux(std::u16string(path) + u"\\Microsoft\\Internet Explorer\\Quick Launch")));
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_SYSTEM, FALSE));
    EXPECT_EQ(std::u16string(path), u"C:\\Windows\\system32");
}

TEST_F(ShellTest, LaunchesJoinTheProcessTableAndTheEvents) {
    Machine(
        u"process = C:\\Program Files\\ZWCAD 2009\\ZWCAD.EXE\nmodule = C:\\Program Files\\ZWCAD "
        u"2009\\zwdb.dll\n"
        u"process = C:\\Windows\\explorer.exe\n");
    WriteFile(root() + "/c/Windows/system32/cmd.exe", "MZ");
    WriteFile(root() + "/c/Program Files/Dero/setup.exe", "MZ");
    WriteFile(root() + "/c/Temp/go.bat", "@echo off");

    WCHAR line[] = u"C:\\Windows\\system32\\cmd /c C:\\Temp\\derodel.bat";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &info));
    EXPECT_TRUE(CloseHandle(info.hThread));
    WCHAR spaced[] = u"C:\\Program Files\\Dero\\setup.exe /p 地籍 /nologo";
    ASSERT_TRUE(
        CreateProcessW(nullptr, spaced, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, nullptr));
    WCHAR missing[] = u"C:\\Windows\\nothing.exe";
    EXPECT_FALSE(
        CreateProcessW(nullptr, missing, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_GT(reinterpret_cast<std::intptr_t>(
                  ShellExecuteW(nullptr, u"open", u"go.bat", nullptr, u"C:\\Temp", SW_SHOWNORMAL)),
              32);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(
                  ShellExecuteW(nullptr, nullptr, u"C:\\Temp\\gone.bat", nullptr, nullptr, 1)),
              SE_ERR_FNF);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(
                  ShellExecuteW(nullptr, nullptr, u"C:\\No\\x.exe", nullptr, nullptr, 1)),
              SE_ERR_PNF);
    WriteFile(root() + "/c/Windows/Fonts/simsun.ttc", "font");
    EXPECT_EQ(AddFontResourceW(u"C:\\Windows\\Fonts\\simsun.ttc"), 1);
    EXPECT_EQ(AddFontResourceW(u"C:\\Windows\\Fonts\\none.ttf"), 0);
    SHChangeNotify(SHCNE_ALLEVENTS, SHCNF_PATHW | SHCNF_FLUSH, u"C:\\Users\\Administrator\\Desktop\\地籍.lnk",
                   nullptr);

    const auto processes = Snapshot();
    ASSERT_EQ(processes.size(), 4u);
    EXPECT_EQ(processes[0].first, u"ZWCAD.EXE");
    EXPECT_EQ(processes[0].second, (std::vector<std::u16string>{u"C:\\Program Files\\ZWCAD 2009\\ZWCAD.EXE",
                                                                u"C:\\Program Files\\ZWCAD 2009\\zwdb.dll"}));
    EXPECT_EQ(processes[2].first, u"cmd.exe");
    EXPECT_EQ(processes[3].first, u"setup.exe");

    // Ending a process needs the right to; it then leaves the table.
    const HANDLE watcher = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, info.dwProcessId);
    ASSERT_NE(watcher, nullptr);
    EXPECT_FALSE(TerminateProcess(watcher, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(TerminateProcess(info.hProcess, 9));
    EXPECT_FALSE(TerminateProcess(info.hProcess, 9));
    EXPECT_EQ(OpenProcess(PROCESS_TERMINATE, FALSE, info.dwProcessId), nullptr);
    EXPECT_EQ(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, info.dwProcessId), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(watcher));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_FALSE(CloseHandle(info.hProcess));
    EXPECT_EQ(Snapshot().size(), 3u);

    const std::string id = std::to_string(info.dwProcessId);
    EXPECT_EQ(platform::win::ReadEvents(),
              (std::vector<std::u16string>{
                  u"launch \"C:\\Windows\\system32\\cmd.exe\" /c C:\\Temp\\derodel.bat",
                  u"launch \"C:\\Program Files\\Dero\\setup.exe\" /p 地籍 /nologo",
                  u"shell open \"C:\\Temp\\go.bat\"",
                  u"font \"C:\\Windows\\Fonts\\simsun.ttc\"",
                  u"notify 0x7FFFFFFF 0x1005 \"C:\\Users\\Administrator\\Desktop\\地籍.lnk\"",
                  platform::text::Utf8ToUtf16("terminate " + id + " \"C:\\Windows\\system32\\cmd.exe\" 9"),
              }));
}

TEST_F(ShellTest, TokenElevationAndRestartRequests) {
    Machine(u"elevation = 3\n");
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD type = 0, length = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenElevationType, &type, sizeof type, &length));
    EXPECT_EQ(type, static_cast<DWORD>(TokenElevationTypeLimited));
    EXPECT_EQ(length, 4u);
    EXPECT_FALSE(GetTokenInformation(token, TokenElevationType, &type, 2, &length));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    TOKEN_PRIVILEGES privileges{};
    EXPECT_FALSE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(token);

    // Without the shutdown privilege enabled, no restart is requested.
    EXPECT_FALSE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
    LUID luid{};
    EXPECT_FALSE(LookupPrivilegeValueW(nullptr, u"SeNoSuchPrivilege", &luid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE));
    ASSERT_TRUE(LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &luid));
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    SetLastError(99);
    ASSERT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(token);
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_TRUE(ExitWindowsEx(EWX_LOGOFF, 0x40000));
    EXPECT_EQ(platform::win::ReadEvents(), (std::vector<std::u16string>{u"restart flags=0x2 reason=0x0",
                                                                        u"logoff flags=0x0 reason=0x40000"}));
}
