// Special folders, launches, change notification and fonts.
#include "platform/win/shell.h"

#include <sys/stat.h>

#include <filesystem>
#include <mutex>
#include <string>

#include "file_support.h"
#include "fold_case.h"
#include "guard.h"
#include "kernel_objects.h"
#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/win/machine.h"
#include "platform/win/path_mapping.h"
#include "platform/win/processes.h"
#include "platform/win/registry.h"
#include "platform/win/root.h"

namespace platform::win {
namespace {

constexpr const char16_t* kShellFolders =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct SpecialFolder {
    int csidl;
    const char16_t* valueName;  // its "Shell Folders" value, or null
    bool common;                // the value lives under HKEY_LOCAL_MACHINE
};

constexpr SpecialFolder kFolders[] = {
    {CSIDL_DESKTOPDIRECTORY, u"Desktop", false},
    {CSIDL_PROGRAMS, u"Programs", false},
    {CSIDL_STARTMENU, u"Start Menu", false},
    {CSIDL_STARTUP, u"Startup", false},
    {CSIDL_PERSONAL, u"Personal", false},
    {CSIDL_APPDATA, u"AppData", false},
    {CSIDL_LOCAL_APPDATA, u"Local AppData", false},
    {CSIDL_FONTS, u"Fonts", false},
    {CSIDL_COMMON_DESKTOPDIRECTORY, u"Common Desktop", true},
    {CSIDL_COMMON_PROGRAMS, u"Common Programs", true},
    {CSIDL_COMMON_STARTMENU, u"Common Start Menu", true},
    {CSIDL_COMMON_APPDATA, u"Common AppData", true},
    {CSIDL_WINDOWS, nullptr, false},
    {CSIDL_SYSTEM, nullptr, false},
    {CSIDL_PROGRAM_FILES, nullptr, false},
};

std::mutex profileMutex;
std::string preparedRoot;

bool IsFile(const std::string& native) {
    struct stat st;
    return !native.empty() && stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Exists(std::u16string_view windowsPath) {
    struct stat st;
    const std::string native = MapToLinux(windowsPath);
    return !native.empty() && stat(native.c_str(), &st) == 0;
}

void MakeFolder(std::u16string_view windowsPath) {
    const std::string native = MapToLinux(windowsPath);
    std::error_code ignored;
    if (!native.empty())
        std::filesystem::create_directories(native, ignored);
}

void WriteMissingValue(HKEY root, const char16_t* name, const std::u16string& value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, kShellFolders, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    if (RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_FILE_NOT_FOUND) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(char16_t)));
    }
    RegCloseKey(key);
}

std::u16string Quoted(std::u16string_view path) {
    return u"\"" + std::u16string(path) + u"\"";
}

std::u16string Trim(std::u16string_view text) {
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos)
        return {};
    const auto last = text.find_last_not_of(u" \t");
    return std::u16string(text.substr(first, last - first + 1));
}

std::u16string_view Extension(std::u16string_view path) {
    const auto name = path.find_last_of(u"\\/");
    const auto dot = path.rfind(u'.');
    if (dot == std::u16string_view::npos || (name != std::u16string_view::npos && dot < name))
        return {};
    return path.substr(dot);
}

// A program file named by windowsPath, ".exe" added when the name has no extension.
bool FindProgram(std::u16string_view windowsPath, std::u16string* program) {
    if (IsFile(MapToLinux(windowsPath))) {
        *program = std::u16string(windowsPath);
        return true;
    }
    if (Extension(windowsPath).empty()) {
        const std::u16string withExe = std::u16string(windowsPath) + u".exe";
        if (IsFile(MapToLinux(withExe))) {
            *program = withExe;
            return true;
        }
    }
    return false;
}

// Splits a command line into its program and the arguments, as CreateProcess reads it.
bool SplitCommandLine(std::u16string_view line, std::u16string* program, std::u16string* arguments) {
    line = line.substr(std::min(line.size(), line.find_first_not_of(u" \t")));
    if (line.empty())
        return false;
    if (line[0] == u'"') {
        const auto close = line.find(u'"', 1);
        const std::u16string_view name =
            line.substr(1, close == std::u16string_view::npos ? line.npos : close - 1);
        *arguments = close == std::u16string_view::npos ? std::u16string() : Trim(line.substr(close + 1));
        return FindProgram(name, program);
    }
    // Unquoted: the shortest run of words that names a program ("C:\Program Files\x.exe").
    std::size_t end = 0;
    while (end < line.size()) {
        end = line.find_first_of(u" \t", end + 1);
        if (end == std::u16string_view::npos)
            end = line.size();
        if (FindProgram(line.substr(0, end), program)) {
            *arguments = Trim(line.substr(end));
            return true;
        }
    }
    return false;
}

BOOL CreateProcessCore(LPCWSTR applicationName, LPWSTR commandLine, LPPROCESS_INFORMATION info) {
    std::u16string program;
    std::u16string arguments;
    if (applicationName) {
        if (!FindProgram(std::u16string_view(applicationName), &program)) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        // The command line then holds the program's name as its first item.
        if (commandLine) {
            std::u16string ignored;
            const std::u16string line = Trim(commandLine);
            if (!SplitCommandLine(line, &ignored, &arguments)) {
                const std::size_t cut = line[0] == u'"' ? line.find(u'"', 1) : line.find_first_of(u" \t");
                arguments = cut == std::u16string::npos ? std::u16string()
                                                        : Trim(std::u16string_view(line).substr(cut + 1));
            }
        }
    } else if (!commandLine || !SplitCommandLine(commandLine, &program, &arguments)) {
        SetLastError(commandLine ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD id = AddRunningProcess(program);
    RecordEvent(u"launch " + Quoted(program) + (arguments.empty() ? u"" : u" " + arguments));
    if (info) {
        info->hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
        info->hThread = AddKernelObject(std::make_shared<KernelObject>());
        info->dwProcessId = id;
        info->dwThreadId = id + 1;
    }
    return TRUE;
}

HINSTANCE ShellExecuteCore(LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder) {
    const auto result = [](std::intptr_t value) { return reinterpret_cast<HINSTANCE>(value); };
    if (!file || !*file) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return result(SE_ERR_FNF);
    }
    std::u16string path = file;
    const bool relative = !(path.size() >= 2 && path[1] == u':') && path[0] != u'\\' && path[0] != u'/';
    if (relative && folder && *folder) {
        path = std::u16string(folder);
        if (path.back() != u'\\')
            path += u'\\';
        path += file;
    }
    if (!Exists(path)) {
        const std::u16string parent =
            path.substr(0, path.find_last_of(u"\\/") == std::u16string::npos ? 0 : path.find_last_of(u"\\/"));
        const bool folderMissing = !parent.empty() && !Exists(parent);
        SetLastError(folderMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
        return result(folderMissing ? SE_ERR_PNF : SE_ERR_FNF);
    }
    const std::u16string action = verb && *verb ? std::u16string(verb) : std::u16string(u"open");
    if (EqualNoCase(Extension(path), std::u16string_view(u".exe")))
        AddRunningProcess(path);
    const std::u16string extra = parameters && *parameters ? u" " + std::u16string(parameters) : u"";
    RecordEvent(u"shell " + action + u" " + Quoted(path) + extra);
    return result(42);
}

std::u16string ItemText(UINT flags, LPCVOID item) {
    if (!item)
        return {};
    switch (flags & 0xFF) {
        case SHCNF_PATHW:
            return u" " + Quoted(static_cast<const char16_t*>(item));
        case SHCNF_PATHA:
            return u" " + Quoted(text::GbkToUtf16(static_cast<const char*>(item)));
        default:
            return {};
    }
}

}  // namespace

std::u16string SpecialFolderPath(int csidl) {
    const std::u16string user = u"C:\\Users\\" + ReadMachineFacts().userName;
    const std::u16string roaming = user + u"\\AppData\\Roaming";
    const std::u16string startMenu = roaming + u"\\Microsoft\\Windows\\Start Menu";
    const std::u16string commonStartMenu = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
    switch (csidl & 0xFF) {
        case CSIDL_DESKTOP:
        case CSIDL_DESKTOPDIRECTORY:
            return user + u"\\Desktop";
        case CSIDL_PROGRAMS:
            return startMenu + u"\\Programs";
        case CSIDL_STARTMENU:
            return startMenu;
        case CSIDL_STARTUP:
            return startMenu + u"\\Programs\\Startup";
        case CSIDL_PERSONAL:
            return user + u"\\Documents";
        case CSIDL_APPDATA:
            return roaming;
        case CSIDL_LOCAL_APPDATA:
            return user + u"\\AppData\\Local";
        case CSIDL_FONTS:
            return u"C:\\Windows\\Fonts";
        case CSIDL_COMMON_DESKTOPDIRECTORY:
            return u"C:\\Users\\Public\\Desktop";
        case CSIDL_COMMON_PROGRAMS:
            return commonStartMenu + u"\\Programs";
        case CSIDL_COMMON_STARTMENU:
            return commonStartMenu;
        case CSIDL_COMMON_APPDATA:
            return u"C:\\ProgramData";
        case CSIDL_WINDOWS:
            return u"C:\\Windows";
        case CSIDL_SYSTEM:
            return u"C:\\Windows\\system32";
        case CSIDL_PROGRAM_FILES:
            return u"C:\\Program Files";
        default:
            return {};
    }
}

void PrepareUserProfile() {
    std::lock_guard lock(profileMutex);
    const std::string root = GetRoot();
    if (preparedRoot == root)
        return;
    for (const SpecialFolder& folder : kFolders) {
        const std::u16string path = SpecialFolderPath(folder.csidl);
        MakeFolder(path);
        if (folder.valueName)
            WriteMissingValue(folder.common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, folder.valueName, path);
    }
    MakeFolder(SpecialFolderPath(CSIDL_APPDATA) + u"\\Microsoft\\Internet Explorer\\Quick Launch");
    preparedRoot = root;
}

}  // namespace platform::win

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create) {
    return platform::win::Guard<BOOL>(FALSE, [&]() -> BOOL {
        const std::u16string folder = platform::win::SpecialFolderPath(csidl);
        if (!path || folder.empty() || folder.size() >= MAX_PATH) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        platform::win::PrepareUserProfile();
        if (create || (csidl & CSIDL_FLAG_CREATE))
            platform::win::MakeFolder(folder);
        std::copy(folder.begin(), folder.end(), path);
        path[folder.size()] = 0;
        return TRUE;
    });
}

HINSTANCE ShellExecuteW(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, int) {
    return platform::win::Guard<HINSTANCE>(
        nullptr, [&] { return platform::win::ShellExecuteCore(verb, file, parameters, folder); });
}

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION processInformation) {
    return platform::win::Guard<BOOL>(FALSE, [&] {
        return platform::win::CreateProcessCore(applicationName, commandLine, processInformation);
    });
}

void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2) {
    platform::win::Guard<int>(0, [&] {
        platform::win::RecordEvent(
            platform::text::Format(u"notify 0x%08X 0x%X", static_cast<DWORD>(eventId), flags) +
            platform::win::ItemText(flags, item1) + platform::win::ItemText(flags, item2));
        return 0;
    });
}

int AddFontResourceW(LPCWSTR fontFile) {
    return platform::win::Guard<int>(0, [&] {
        if (!fontFile || !platform::win::IsFile(platform::win::MapToLinux(std::u16string_view(fontFile))))
            return 0;
        platform::win::RecordEvent(u"font " + platform::win::Quoted(fontFile));
        return 1;
    });
}
