// Uninstalling an installed copy, with a recovery folder from which a cancelled run is restored.
#include <vector>

#include "com_support.h"
#include "engine_support.h"
#include "platform/text/format.h"
#include "platform/ui/window_api.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/registry.h"
#include "platform/win/threads.h"
#include "platform/xml/dom_document.h"
#include "setup/cabinet/progress_messages.h"
#include "setup/engine/disk_space.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/install_records.h"
#include "setup/engine/install_state.h"
#include "setup/engine/installed_products.h"
#include "setup/engine/registry_trees.h"
#include "setup/engine/shortcuts.h"
#include "setup/engine/uninstall.h"

namespace Setup {
namespace {

using detail::Canonical;
using detail::EqualNoCase;
using detail::HasDotPart;
using detail::IsBelowFolder;
using detail::RegKey;
using platform::text::Format;

constexpr char16_t kRecordsRoot[] = u"software\\quorvane\\install";
// Files from outside the install folder are kept apart from the folder's own tree.
constexpr char16_t kOutsideBranch[] = u"\\~outside";

void Send(UINT msg, WPARAM wParam, std::u16string_view text) {
    SendProgressText(g_progressWindow.load(), msg, wParam, text);
}

// The bar runs from 0 to upper.
void SendRange(int upper) {
    const HWND window = g_progressWindow.load();
    if (window && IsWindow(window)) SendMessageW(window, WM_SETUP_RANGE, static_cast<WPARAM>(upper), 0);
}

// Sends a line at the current position and moves the position on.
void Advance(std::u16string_view text) {
    SendProgressText(g_progressWindow.load(), WM_SETUP_POSITION, static_cast<WPARAM>(g_progressPosition.load()), text);
    ++g_progressPosition;
}

void AdvanceIfShown(std::u16string_view text) {
    if (g_progressWindow.load()) Advance(text);
}

std::u16string Trimmed(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(u" \t\r\n");
    if (first == std::u16string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(u" \t\r\n");
    return std::u16string(text.substr(first, last - first + 1));
}

// Removes the files of a tree without moving them anywhere (the recovery folder itself).
bool DeleteTreeQuietly(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        {
            detail::FindHandle find(path + u"\\*");
            std::u16string name;
            DWORD entry = 0;
            while (find.Next(&name, &entry)) DeleteTreeQuietly(path + u"\\" + name);
        }
        return RemoveDirectoryW(path.c_str()) || !detail::IsFolder(path);
    }
    return DeleteFileW(path.c_str()) != FALSE;
}

// What stands at path goes to the recovery folder, as one question or its folder's listing found
// it (`attributes`): a folder's entries are taken as listed, without asking of each again.
bool DeleteFoundTree(InstallInfo& info, const std::u16string& path, DWORD attributes,
                     const std::vector<std::u16string>& specialFolders) {
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        AdvanceIfShown(Format(u"正在删除 文件%s...", path));
        return true;
    }
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        AdvanceIfShown(Format(u"%s 是链接，未删除", path));
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (detail::IsProtectedFolder(path, specialFolders)) {
            AdvanceIfShown(Format(u"%s 是系统文件夹，未删除", path));
            return false;
        }
        {
            detail::FindHandle find(path + u"\\*");
            std::u16string name;
            DWORD entry = 0;
            while (find.Next(&name, &entry)) DeleteFoundTree(info, path + u"\\" + name, entry, specialFolders);
        }
        // Moving the last file out may have removed the folder already.
        return RemoveDirectoryW(path.c_str()) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    }
    AdvanceIfShown(Format(u"正在删除%s...", path));
    return info.RemoveFileToRecovery(path);
}

bool DeleteTree(InstallInfo& info, const std::u16string& path, const std::vector<std::u16string>& specialFolders) {
    return DeleteFoundTree(info, path, GetFileAttributesW(path.c_str()), specialFolders);
}

// The folder holding a path (empty when it has no backslash).
std::u16string Holder(std::u16string_view path) {
    const std::size_t cut = path.rfind(u'\\');
    return cut == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, cut));
}

// The start-menu folder goes when the link was the last thing in it.
void RemoveStartMenuFolder(std::u16string_view link) {
    const std::u16string folder = Holder(link);
    if (folder.empty() || detail::IsProtectedFolder(folder, detail::SpecialFolders())) return;
    RemoveDirectoryW(folder.c_str());
}

// The desktop link's ".bak" twice: a leftover of a link replaced while the product was installed.
std::u16string DesktopBackup(std::u16string_view link) {
    const std::size_t slash = link.rfind(u'\\');
    const std::size_t dot = link.rfind(u'.');
    const bool hasExtension = dot != std::u16string_view::npos && (slash == std::u16string_view::npos || dot > slash);
    return std::u16string(link.substr(0, hasExtension ? dot : link.size())) + u".bak";
}

void RemoveShortcuts(InstallInfo& info) {
    info.RemoveFileToRecovery(info.desktopShortcut);
    info.DeletePathWithProgress(info.desktopShortcut);
    info.RemoveFileToRecovery(info.quickLaunchShortcut);
    const ShellServices services = GetShellServices();
    if (services.notifyPathChanged && !info.desktopShortcut.empty()) services.notifyPathChanged(info.desktopShortcut);
    // An empty path would name ".bak" in whatever the current folder is.
    if (!info.desktopShortcut.empty()) info.RemoveFileToRecovery(DesktopBackup(info.desktopShortcut));
}

// The files of the copy: those its installed "setup.xml" lists, or else its whole folder.
void RemoveFiles(InstallInfo& info) {
    if (info.DeleteInstalledFiles()) {
        const std::u16string systemFolder = info.GetProductSystemFolder();
        info.RemoveFileToRecovery(systemFolder + u"\\setup.xml");
        info.RemoveFileToRecovery(systemFolder + u"\\setup.exe");
    } else {
        info.DeletePathWithProgress(info.installFolder);
    }
}

}  // namespace

std::u16string InstallInfo::GetProductSystemFolder() const {
    // The install folder the records name; the description's member 2 when none was read.
    const std::u16string& folder = installFolder.size() > 1 ? installFolder : description.cadFolder;
    return description.HasCustomSystemFolder() ? folder : folder + u"\\system";
}

bool InstallInfo::MoveFileRecorded(std::u16string_view source, std::u16string_view destination, bool record) {
    const std::u16string from(source), to(destination);
    // A file moved already (the installed list names the program too) keeps its first copy.
    if (!detail::IsFile(from)) return false;
    if (record) {
        // One question tells whether something stands at the destination and whether its folder
        // needs making.
        const TargetState state = QueryTarget(to);
        if (!state.folderThere) CreateParentFolders(to);
        // A file left at the destination by an earlier run must not be taken for this one's.
        if (detail::IsFileAttributes(state.attributes) && !DeleteFileW(to.c_str())) return false;
        g_recoveryFiles.push_back(to);
        g_originFiles.push_back(from);
    } else {
        CreateParentFolders(to);
    }
    const bool copied = CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
    if (copied) {
        DeleteFileW(from.c_str());
    } else if (record) {
        g_recoveryFiles.pop_back();
        g_originFiles.pop_back();
    }
    return copied;
}

bool InstallInfo::RemoveFileToRecovery(std::u16string_view path) {
    // A path naming "." or ".." could land anywhere; the uninstall leaves it alone.
    if (path.empty() || HasDotPart(path)) return false;
    const std::u16string file(path);
    const std::u16string lowerPath = Canonical(path);
    const std::u16string lowerFolder = Canonical(installFolder);
    const bool inside = !lowerFolder.empty() && IsBelowFolder(lowerPath, lowerFolder);

    bool removed;
    if (!g_uninstallRecoveryFolder.empty()) {
        std::u16string rest;
        if (inside) {
            rest = lowerPath.substr(lowerFolder.size());
        } else {
            // "c:\x\y" becomes "\~outside\c\x\y".
            std::u16string plain;
            for (const char16_t c : lowerPath)
                if (c != u':') plain += c;
            const std::size_t first = plain.find_first_not_of(u'\\');
            rest = std::u16string(kOutsideBranch) + u"\\" + (first == std::u16string::npos ? u"" : plain.substr(first));
        }
        removed = MoveFileRecorded(file, g_uninstallRecoveryFolder + rest, true);
    } else {
        removed = DeleteFileW(file.c_str()) != FALSE;
    }

    // Emptied folders go, up to the install folder itself; outside it nothing is removed (the
    // desktop and the programs folder stay even when empty).
    if (inside) {
        const std::vector<std::u16string> specialFolders = detail::SpecialFolders();
        for (std::u16string folder = Holder(file); Canonical(folder).size() >= lowerFolder.size(); folder = Holder(folder)) {
            if (detail::IsProtectedFolder(folder, specialFolders) || !RemoveDirectoryW(folder.c_str())) break;
        }
    }
    return removed;
}

bool InstallInfo::DeletePathWithProgress(std::u16string_view path) {
    if (path.empty()) return true;
    return DeleteTree(*this, std::u16string(path), detail::SpecialFolders());
}

bool InstallInfo::DeleteInstalledFiles() {
    const detail::ComScope com;
    detail::ComRef<IDomDocumentObject> object;
    if (!detail::CreateXmlDocument(&object)) return false;
    platform::xml::DomDocument* document = &object->Document();
    document->put_async(false);
    if (!document->load(GetProductSystemFolder() + u"\\setup.xml")) return false;
    const platform::xml::DomNode root = document->documentElement();
    if (root.IsNull()) return false;
    const platform::xml::DomNodeList children = root.childNodes();
    const long count = children.length();
    int handled = 0;
    for (long i = 0; i < count; ++i) {
        const platform::xml::DomNode child = children.item(i);
        if (!EqualNoCase(child.nodeName(), u"insfile")) continue;
        const platform::xml::DomNode first = child.attributes().item(0);
        if (first.IsNull()) continue;
        const std::u16string path = first.text();
        Advance(u"正在删除 " + path + u"...");
        RemoveFileToRecovery(path);
        ++handled;
    }
    return handled > 2;
}

void InstallInfo::LoadOrRemoveInstallRecord(int mode) {
    const std::u16string base = description.HasCustomSystemFolder() ? u"software" : kRecordsRoot;
    RegKey baseKey;
    std::u16string recordName;
    if (baseKey.Open(HKEY_CURRENT_USER, base, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE)) {
        const int count = baseKey.SubkeyCount();
        for (int i = 0; i < count && !product.empty(); ++i) {
            const std::u16string name = baseKey.SubkeyName(static_cast<DWORD>(i));
            if (EqualNoCase(name, product)) {
                recordName = name;
                break;
            }
        }
    }
    if (recordName.empty()) {
        // Without a record (or without the records' key) the uninstall entry names the folder;
        // nothing is removed then.
        baseKey.Close();
        CADVer entry;
        entry.product = product;
        if (ReadUninstallEntry(entry)) {
            installFolder = entry.installFolder;
            fileCount = entry.fileNum;
        }
        return;
    }

    {
        RegKey record;
        if (record.Open(baseKey.get(), recordName, KEY_READ)) {
            registerPath = record.QueryString(u"register", 2048);
            desktopShortcut = record.QueryString(u"shortcut", 2048);
            installFolder = record.QueryString(u"installfolder", 2048);
            if (installFolder.size() > 1) description.cadFolder = installFolder;
            startMenuShortcut = record.QueryString(u"startmenu", 2048);
            fileCount = detail::ParseDecimal(record.QueryString(u"filenum", 2048));
            installSize = detail::ParseDecimal(record.QueryString(u"installsize", 2048));
            quickLaunchShortcut = record.QueryString(u"quicklaunch", 2048);
            extName = record.QueryString(u"extname", 2048);
            extNameFile = record.QueryString(u"extnamefile", 2048);
        }
    }
    if (mode != 0) return;
    DeleteRegistryTree(baseKey.get(), recordName);
    baseKey.Close();

    {
        RegKey entries;
        if (!entries.Open(HKEY_LOCAL_MACHINE, kUninstallRoot, KEY_READ | KEY_WRITE)) return;
        DeleteRegistryTree(entries.get(), product);
    }
    if (Trimmed(extName).size() > 2) {
        DeleteRegistryTree(HKEY_CLASSES_ROOT, u"." + Trimmed(extName));
        DeleteRegistryTree(HKEY_CLASSES_ROOT, extNameFile);
    }

    // Emptied parents of the records go too, "software" itself never.
    for (std::u16string current = base;;) {
        {
            RegKey key;
            if (!key.Open(HKEY_CURRENT_USER, current, KEY_READ) || key.SubkeyCount() > 0) break;
        }
        const std::size_t cut = current.rfind(u'\\');
        if (cut == std::u16string::npos) break;
        RegKey parent;
        if (!parent.Open(HKEY_CURRENT_USER, current.substr(0, cut), KEY_READ | KEY_WRITE)) break;
        RegDeleteKeyW(parent.get(), current.substr(cut + 1).c_str());
        current.resize(cut);
    }

    // The product's host profile, and the host's current profile when it was that one.
    const std::size_t cut = registerPath.rfind(u'\\');
    if (cut == std::u16string::npos) return;
    const std::u16string profileName = registerPath.substr(cut + 1);
    if (profileName.empty()) return;
    RegKey profiles;
    if (!profiles.Open(HKEY_CURRENT_USER, registerPath.substr(0, cut), KEY_READ | KEY_WRITE)) return;
    if (EqualNoCase(profiles.QueryString(u"", 2048), profileName)) {
        // The profile that was current before the install, when it is still there; else the
        // first other one.
        std::u16string previous;
        {
            RegKey preConfig;
            if (preConfig.Open(profiles.get(), profileName + u"\\PreConfig", KEY_READ))
                previous = preConfig.QueryString(u"DefaultConfig", 2048);
        }
        RegKey previousKey;
        if (previous.empty() || EqualNoCase(previous, profileName) || !previousKey.Open(profiles.get(), previous, KEY_READ))
            previous.clear();
        const int count = profiles.SubkeyCount();
        for (int i = 0; i < count && previous.empty(); ++i) {
            const std::u16string name = profiles.SubkeyName(static_cast<DWORD>(i));
            if (!EqualNoCase(name, profileName)) previous = name;
        }
        if (!previous.empty()) profiles.SetString(u"", previous);
    }
    DeleteRegistryTree(profiles.get(), profileName);
}

void InstallInfo::UninstallProduct() {
    g_progressPosition = 0;
    fileCount = 0;
    g_recoveryFiles.clear();
    g_originFiles.clear();
    Send(WM_SETUP_STATUS, 0, u"正在搜索安装信息...");
    LoadOrRemoveInstallRecord(1);
    if (installFolder.empty()) {
        Send(WM_SETUP_STATUS, 0, u"无效路径...");
        Send(WM_SETUP_FINISHED, 1, u"卸载完成");
        return;
    }

    char16_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    std::u16string recovery(temp, length < MAX_PATH ? length : 0);
    std::uint64_t available = 0, total = 0, free = 0;
    GetDiskFreeMegabytes(recovery, &available, &total, &free);
    const char16_t* withoutBackup = u"磁盘空间不知，安装程序将删除这些文件";
    if (!recovery.empty() && available >= static_cast<std::uint64_t>(installSize < 0 ? 0 : installSize)) {
        if (recovery.back() == u'\\') recovery.pop_back();
        recovery += u"\\derorecovery";
        // Known before it is made, so that a restore after a stop right behind the making
        // removes it again (a file of that name is never taken for it).
        if (!detail::IsFile(recovery)) g_uninstallRecoveryFolder = recovery;
        CreateDirectoryW(recovery.c_str(), nullptr);
        withoutBackup = u"备份失败，安装程序将删除这些文件";
        if (detail::IsFolder(recovery)) {
            g_uninstallRecoveryFolder = recovery;
            SendRange(detail::AddCount(fileCount, 3));
            Advance(u"准备删除文件...");
            RemoveFiles(*this);

            Advance(u"正在取消注册...");
            Sleep(2000);
            // From here on the page has disabled Cancel, so the moved files are no longer needed
            // for a restore; until then a stopped run can still be put back.
            Send(WM_SETUP_REGISTERING, 0, u"取消注册...");
            g_recoveryFiles.clear();
            g_originFiles.clear();
            LoadOrRemoveInstallRecord(0);

            Advance(u"正在删除启动菜单...");
            DeletePathWithProgress(startMenuShortcut);
            RemoveStartMenuFolder(startMenuShortcut);

            Advance(u"正在删除快捷方式...");
            RemoveShortcuts(*this);

            Advance(u"正在清除文件...");
            const HWND window = g_progressWindow.exchange(nullptr);
            DeleteTreeQuietly(g_uninstallRecoveryFolder);
            g_progressWindow = window;
            g_uninstallRecoveryFolder.clear();
            Send(WM_SETUP_FINISHED, 1, u"卸载完成");
            return;
        }
    }
    g_uninstallRecoveryFolder.clear();
    Send(WM_SETUP_REGISTERING, 0, withoutBackup);
    RemoveProduct();
}

void InstallInfo::RemoveProduct() {
    g_progressPosition = 0;
    fileCount = 0;
    g_recoveryFiles.clear();
    g_originFiles.clear();
    Send(WM_SETUP_STATUS, 0, u"正在查询注册信息...");
    LoadOrRemoveInstallRecord(1);
    SendRange(detail::AddCount(fileCount, 2));
    Advance(u"正在准备删除文件...");
    RemoveFiles(*this);

    Advance(u"正在取消注册...");
    Send(WM_SETUP_REGISTERING, 0, u"准备取消注册...");
    LoadOrRemoveInstallRecord(0);

    Advance(u"正在删除启动目录...");
    DeletePathWithProgress(startMenuShortcut);
    RemoveStartMenuFolder(startMenuShortcut);

    Advance(u"正在删除快捷方式...");
    RemoveShortcuts(*this);
    Send(WM_SETUP_FINISHED, 1, u"卸载成功");
}

void InstallInfo::RestoreFromRecovery() {
    Send(WM_SETUP_REGISTERING, 0, u"正在恢复...");
    std::vector<std::u16string> keptRecovery, keptOrigin;
    for (std::size_t i = 0; i < g_recoveryFiles.size() && i < g_originFiles.size(); ++i) {
        const std::u16string& moved = g_recoveryFiles[i];
        const std::u16string& origin = g_originFiles[i];
        SendProgressText(g_progressWindow.load(), WM_SETUP_POSITION, static_cast<WPARAM>(g_progressPosition.load()),
                         Format(u"正在恢复文件 %s", origin));
        --g_progressPosition;
        // A run stopped before its copy left the file where it was.
        if (!detail::IsFile(moved) && detail::IsFile(origin)) continue;
        if (!MoveFileRecorded(moved, origin, false)) {
            Send(WM_SETUP_POSITION, static_cast<WPARAM>(g_progressPosition.load()),
                 Format(u"无法恢复文件 %s，它仍在 %s", origin, moved));
            keptRecovery.push_back(moved);
            keptOrigin.push_back(origin);
        }
    }
    g_recoveryFiles = std::move(keptRecovery);
    g_originFiles = std::move(keptOrigin);

    SendProgressText(g_progressWindow.load(), WM_SETUP_POSITION, static_cast<WPARAM>(g_progressPosition.load()),
                     u"正在清除文件...");
    --g_progressPosition;
    // What could not be put back stays in the recovery folder for the user.
    if (g_recoveryFiles.empty() && !g_uninstallRecoveryFolder.empty()) {
        const HWND window = g_progressWindow.exchange(nullptr);
        DeleteTreeQuietly(g_uninstallRecoveryFolder);
        g_progressWindow = window;
    }
    g_progressPosition = 0;
    fileCount = 0;
    Send(WM_SETUP_POSITION, 0, u"恢复完成...");
    Send(WM_SETUP_FINISHED, 1, u"恢复完成");
}

bool CreateParentFolders(std::u16string_view path) {
    std::vector<std::u16string> folders;  // the text before each backslash, outermost first
    for (std::size_t cut = path.find(u'\\'); cut != std::u16string_view::npos; cut = path.find(u'\\', cut + 1))
        if (cut > 0) folders.emplace_back(path.substr(0, cut));
    const auto there = [](const std::u16string& folder) {
        return GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    if (HasDotPart(path)) {
        // "C:\a\..\b\x": a folder named on the way need not lie on the path, so each one is asked
        // of and made in turn.
        for (const std::u16string& folder : folders)
            if (!there(folder) && !CreateDirectoryW(folder.c_str(), nullptr)) return false;
        return true;
    }
    // Otherwise a folder that is there has all its outer folders there too: the nearest is asked
    // first, and the look goes outwards only past missing ones. Those are made outermost first; one
    // that someone made meanwhile counts as made.
    std::size_t first = folders.size();
    while (first > 0 && !there(folders[first - 1])) --first;
    for (std::size_t i = first; i < folders.size(); ++i) {
        if (!CreateDirectoryW(folders[i].c_str(), nullptr) &&
            !(GetLastError() == static_cast<DWORD>(ERROR_ALREADY_EXISTS) && there(folders[i])))
            return false;
    }
    return true;
}

}  // namespace Setup
