#include "setup/engine/shortcuts.h"

#include <mutex>

#include "com_support.h"
#include "engine_support.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/shell.h"
#include "platform/win/shell_link.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/install_state.h"
#include "setup/engine/installed_products.h"

namespace Setup {
namespace {

using detail::RegKey;

// The start-menu folder of host installs carries the product's full name.
constexpr char16_t kHostStartMenuFolder[] = u"Dero 地籍测绘系统";
constexpr char16_t kShellFolders[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A shell link object saved at its path.
bool SaveShellLink(const ShellLinkData& link, std::u16string_view path) {
    const detail::ComScope com;
    detail::ComRef<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.Receive())))
        return false;
    shellLink->SetShowCmd(link.showCommand);
    shellLink->SetWorkingDirectory(link.workingFolder.c_str());
    shellLink->SetIconLocation(link.iconPath.c_str(), link.iconIndex);
    shellLink->SetPath(link.target.c_str());
    if (!link.arguments.empty()) shellLink->SetArguments(link.arguments.c_str());
    if (!link.description.empty()) shellLink->SetDescription(link.description.c_str());
    detail::ComRef<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.Receive()))) return false;
    const std::u16string target(path);
    return SUCCEEDED(file->Save(target.c_str(), TRUE));
}

std::u16string SpecialFolder(int csidl, BOOL create) {
    char16_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, create)) return {};
    return path;
}

std::u16string UserDesktopFolder() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY, FALSE); }
std::u16string UserAppDataFolder() { return SpecialFolder(CSIDL_APPDATA, TRUE); }

void NotifyShellOfPath(std::u16string_view path) {
    const std::u16string item(path);
    SHChangeNotify(SHCNE_ALLEVENTS, SHCNF_PATHW | SHCNF_FLUSH, item.c_str(), nullptr);
}

std::mutex g_servicesMutex;
ShellServices g_services;

// The replaced services, and the shell's own for the others.
ShellServices Services() {
    ShellServices services;
    {
        std::lock_guard lock(g_servicesMutex);
        services = g_services;
    }
    if (!services.saveLink) services.saveLink = &SaveShellLink;
    if (!services.desktopFolder) services.desktopFolder = &UserDesktopFolder;
    if (!services.appDataFolder) services.appDataFolder = &UserAppDataFolder;
    if (!services.notifyPathChanged) services.notifyPathChanged = &NotifyShellOfPath;
    if (!services.specialFolder) services.specialFolder = [](int csidl) { return SpecialFolder(csidl, FALSE); };
    return services;
}

bool IsFile(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string WithoutTrailingBackslash(std::u16string path) {
    while (path.size() > 1 && path.back() == u'\\') path.pop_back();
    return path;
}

// Creates every missing folder of the path.
bool CreateFolderPath(const std::u16string& path) {
    for (std::size_t cut = path.find(u'\\'); ; cut = path.find(u'\\', cut + 1)) {
        const std::u16string prefix = path.substr(0, cut);
        if (!prefix.empty() && prefix.back() != u':' && !IsFolder(prefix) && !CreateDirectoryW(prefix.c_str(), nullptr))
            return false;
        if (cut == std::u16string::npos) return true;
    }
}

bool StartsWithZwcad(std::u16string_view cadProduct) {
    return cadProduct.size() >= 5 && detail::EqualNoCase(cadProduct.substr(0, 5), u"ZWCAD");
}

}  // namespace

void SetShellServices(const ShellServices& services) {
    std::lock_guard lock(g_servicesMutex);
    g_services = services;
}

ShellServices GetShellServices() { return Services(); }

std::u16string ProfileArguments(std::u16string_view profile) {
    return u"/p " + std::u16string(profile) + u" /nologo acad.dwt";
}

std::u16string CreateShellLink(std::u16string_view target, std::u16string_view name,
                               std::u16string_view workingFolder, std::u16string_view icon,
                               std::u16string_view profile) {
    const ShellServices services = Services();
    ShellLinkData link;
    link.target = target;
    link.workingFolder = workingFolder;
    link.iconPath = icon;
    if (!profile.empty()) link.arguments = ProfileArguments(profile);

    // The link is made in the temporary folder and then put over the desktop one, so a failed save
    // never costs the user the shortcut already there.
    char16_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::u16string fileName = std::u16string(name);
    const std::u16string tempLink = WithoutTrailingBackslash(temp) + u"\\" + fileName + u".lnk";
    const std::u16string desktop = WithoutTrailingBackslash(services.desktopFolder());
    if (desktop.empty()) return {};
    const std::u16string desktopLink = desktop + u"\\" + fileName + u".lnk";
    const std::u16string backup = desktop + u"\\" + fileName + u".bak";

    DeleteFileW(tempLink.c_str());
    bool made = services.saveLink(link, tempLink) && CopyFileW(tempLink.c_str(), backup.c_str(), FALSE);
    if (made) {
        DeleteFileW(desktopLink.c_str());
        made = MoveFileW(backup.c_str(), desktopLink.c_str());
    }
    DeleteFileW(backup.c_str());
    DeleteFileW(tempLink.c_str());
    if (!made) return {};
    g_desktopShortcutPath = desktopLink;
    services.notifyPathChanged(desktopLink);
    return desktopLink;
}

std::u16string CreateStartMenuLink(std::u16string_view folderName, std::u16string_view name, const ShellLinkData& link) {
    const ShellServices services = Services();
    RegKey shellFolders;
    if (!shellFolders.Open(HKEY_CURRENT_USER, kShellFolders, KEY_READ)) return {};
    const std::u16string programs = WithoutTrailingBackslash(shellFolders.QueryString(u"Programs", 512));
    if (programs.empty() || folderName.empty()) return {};
    const std::u16string folder = programs + u"\\" + std::u16string(folderName);
    if (!IsFolder(folder) && !CreateDirectoryW(folder.c_str(), nullptr)) return {};
    g_startMenuFolder = folder;
    const std::u16string path = folder + u"\\" + std::u16string(name) + u".lnk";
    if (!services.saveLink(link, path)) return {};
    g_startMenuShortcutPath = path;
    return path;
}

void InstallEngine::CreateShortcuts() {
    const CADVer& d = description;
    if (!detail::HasRecordNames(d)) return;
    RegKey record;
    if (!record.Open(HKEY_CURRENT_USER, detail::InstallRecordKey(d), KEY_WRITE | KEY_READ) &&
        !record.Create(HKEY_CURRENT_USER, u"software\\quorvane\\install\\" + d.product, KEY_WRITE))
        return;

    const std::u16string systemFolder = d.GetSystemFolder();
    const std::u16string program = systemFolder + u"\\" + d.relatedFile;
    const std::u16string icon = d.installFolder + u"\\" + d.iconFile;
    // Only a file counts as the program: an empty name would point at the system folder itself.
    const bool ownProgram = !d.relatedFile.empty() && IsFile(program);
    const std::u16string host = d.cadFolder + (StartsWithZwcad(d.cadProduct) ? u"\\ZWCAD.EXE" : u"\\acad.exe");

    ShellLinkData link;
    link.iconPath = icon;
    link.description = d.product;
    std::u16string folderName;
    if (ownProgram) {
        CreateShellLink(program, d.version, d.installFolder, icon, u"");
        link.target = program;
        link.workingFolder = d.installFolder;
        folderName = d.product;
    } else {
        CreateShellLink(host, d.version, systemFolder, icon, d.profileName);
        link.target = host;
        link.workingFolder = systemFolder;
        link.arguments = ProfileArguments(d.profileName);
        folderName = kHostStartMenuFolder;
    }
    record.SetString(u"shortcut", g_desktopShortcutPath);
    CreateStartMenuLink(folderName, d.version, link);
    record.SetString(u"startmenu", g_startMenuShortcutPath);
}

bool AddQuickLaunchShortcut(const CADVer& description) {
    const ShellServices services = Services();
    if (!detail::HasRecordNames(description) || g_desktopShortcutPath.empty()) return false;
    const std::u16string appData = WithoutTrailingBackslash(services.appDataFolder());
    if (appData.empty()) return false;
    const std::u16string folder = appData + u"\\Microsoft\\Internet Explorer\\Quick Launch";
    if (!CreateFolderPath(folder)) return false;
    const std::size_t cut = g_desktopShortcutPath.rfind(u'\\');
    const std::u16string copy = folder + u"\\" + g_desktopShortcutPath.substr(cut == std::u16string::npos ? 0 : cut + 1);
    if (!CopyFileW(g_desktopShortcutPath.c_str(), copy.c_str(), FALSE)) return false;

    // Both records exist by now; a missing one is not made up here.
    RegKey entry;
    if (entry.Open(HKEY_LOCAL_MACHINE, std::u16string(kUninstallRoot) + u"\\" + description.product, KEY_WRITE))
        entry.SetString(u"quicklaunch", copy);
    RegKey record;
    if (record.Open(HKEY_CURRENT_USER, detail::InstallRecordKey(description), KEY_WRITE))
        record.SetString(u"quicklaunch", copy);
    return true;
}

}  // namespace Setup
