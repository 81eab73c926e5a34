#include "engine_support.h"
#include "platform/text/format.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/install_state.h"
#include "setup/engine/installed_products.h"

namespace Setup {
namespace {

using detail::Decimal;
using detail::HasRecordNames;
using detail::InstallRecordKey;
using detail::RegKey;

// The records' "time": blank-padded fields, the year in full.
std::u16string RecordTime() {
    const LocalTime t = CurrentLocalTime();
    return platform::text::Format(u"%d-%2d-%2d %2d:%2d:%2d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

// The extension the file type is registered for, or empty when there is none to register: the
// uninstall removes the keys only of a trimmed extension of more than 2 characters, and a dot or
// backslash would name another key than ".ext" (an empty extension would take over every file
// without one).
std::u16string RegistrableExtension(std::u16string_view extName) {
    const std::size_t first = extName.find_first_not_of(u" \t\r\n");
    if (first == std::u16string_view::npos) return {};
    const std::u16string_view trimmed = extName.substr(first, extName.find_last_not_of(u" \t\r\n") - first + 1);
    if (trimmed.size() <= 2 || trimmed.find_first_of(u".\\") != std::u16string_view::npos) return {};
    return std::u16string(trimmed);
}

}  // namespace

InstallEngine::InstallEngine() : programFolder(detail::FolderOf(detail::RunningProgramPath())) {}

void InstallEngine::WriteInstallRecord(bool withHeaderFlag) {
    const CADVer& d = description;
    if (!HasRecordNames(d)) return;
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, InstallRecordKey(d), KEY_WRITE)) return;
    key.SetString(u"time", RecordTime());
    key.SetString(u"configname", d.profileName);
    key.SetString(u"company", d.company);
    key.SetString(u"username", d.userName);
    key.SetString(u"usercompany", d.userCompany);
    key.SetString(u"installfolder", d.installFolder);
    key.SetString(u"GUID", d.guid);
    key.SetString(u"register", d.cadRegistryKey + u"\\Profiles\\" + d.profileName);
    key.SetString(u"filenum", Decimal(fileCount));
    key.SetString(u"installsize", d.picture);
    if (withHeaderFlag) key.SetString(u"useheader", Decimal(g_useHeader));
    key.SetString(u"installinfo", u"deroinstall 1.0");
    key.SetString(u"buildguid", d.buildGuid);
    key.SetString(u"extname", d.extName);
    key.SetString(u"extnamefile", d.extName + u"file");
    key.SetString(u"restart", Decimal(d.restart));
}

void InstallEngine::WriteUninstallEntry() {
    const CADVer& d = description;
    if (!HasRecordNames(d)) return;
    RegKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, std::u16string(kUninstallRoot) + u"\\" + d.product, KEY_WRITE)) return;
    const std::u16string setupProgram = d.GetSystemFolder() + u"\\setup.exe";
    key.SetString(u"DisplayName", d.product);
    key.SetString(u"UninstallString", setupProgram);
    key.SetString(u"Publisher", d.company);
    key.SetString(u"DisplayIcon", d.installFolder + u"\\" + d.iconFile);
    key.SetString(u"InstallLocation", d.installFolder);
    key.SetString(u"UninstallPath", setupProgram);
    key.SetString(u"DisplayVersion", d.profileName);
    key.SetString(u"configname", d.profileName);
    key.SetString(u"company", d.company);
    key.SetString(u"username", d.userName);
    key.SetString(u"usercompany", d.userCompany);
    key.SetString(u"GUID", d.guid);
    key.SetString(u"register", d.cadRegistryKey + u"\\Profiles\\" + d.profileName);
    key.SetString(u"filenum", Decimal(fileCount));
    key.SetString(u"installsize", d.picture);
    key.SetString(u"installinfo", u"deroinstall 1.0");
    key.SetString(u"useheader", Decimal(g_useHeader));
    key.SetString(u"buildguid", d.buildGuid);
    key.SetString(u"extname", d.extName);
    key.SetString(u"shortcut", g_desktopShortcutPath);
    key.SetString(u"startmenu", g_startMenuShortcutPath);
    key.SetString(u"extnamefile", d.extName + u"file");
    key.SetString(u"restart", Decimal(d.restart));
}

bool InstallEngine::RegisterFileType() {
    const CADVer& d = description;
    if (d.relatedFile.size() < 10) return true;
    const std::u16string extension = RegistrableExtension(d.extName);
    if (extension.empty()) return true;
    // Named as the records' "extnamefile", which the uninstall removes.
    const std::u16string typeName = d.extName + u"file";
    RegKey extensionKey;
    if (!extensionKey.Create(HKEY_CLASSES_ROOT, u"." + extension, KEY_WRITE)) return false;
    extensionKey.SetString(u"", typeName);
    RegKey type;
    if (!type.Create(HKEY_CLASSES_ROOT, typeName, KEY_WRITE)) return false;
    type.SetString(u"", u"Dero package file");
    type.SetDword(u"EditFlags", 0x10000);
    const std::u16string systemFolder = d.GetSystemFolder();
    RegKey icon;
    if (icon.Create(type.get(), u"DefaultIcon", KEY_WRITE)) icon.SetString(u"", systemFolder + u"\\" + d.relatedIcon);
    // The program path is quoted: a system folder below "C:\Program Files" must open the program,
    // not "C:\Program".
    RegKey command;
    if (command.Create(type.get(), u"shell\\open\\command", KEY_WRITE))
        command.SetString(u"", platform::text::Format(u"\"%s\\%s\" \"%%1\"", systemFolder, d.relatedFile),
                          REG_EXPAND_SZ);
    return true;
}

}  // namespace Setup
