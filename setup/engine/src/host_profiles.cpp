#include <vector>

#include "engine_support.h"
#include "platform/text/format.h"
#include "platform/ui/messages.h"
#include "platform/win/files.h"
#include "platform/ui/window_api.h"
#include "platform/win/registry.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/install_state.h"
#include "setup/engine/registry_trees.h"

namespace Setup {
namespace {

using detail::EqualNoCase;
using detail::RegKey;

// Text values keep the type they had; a value that was missing (or not text) becomes REG_SZ.
struct OldText {
    std::u16string text;
    DWORD type = REG_SZ;
};

OldText ReadOld(const RegKey& key, std::u16string_view name) {
    OldText old;
    if (!key.QueryText(name, &old.text, &old.type)) old = OldText{};
    return old;
}

// Every folder directly below folder, each as its full path followed by ";".
std::u16string SubfolderPaths(const std::u16string& folder) {
    std::u16string paths;
    detail::FindHandle find(folder + u"\\*");
    std::u16string name;
    DWORD attributes = 0;
    while (find.Next(&name, &attributes))
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) paths += folder + u"\\" + name + u";";
    return paths;
}

// The host's unnamed profile when there is one, else its first.
std::u16string SourceProfile(const RegKey& profiles) {
    const int count = profiles.SubkeyCount();
    for (int i = 0; i < count; ++i) {
        const std::u16string name = profiles.SubkeyName(static_cast<DWORD>(i));
        if (EqualNoCase(name, u"<<Unnamed Profile>>") || name == u"<<未命名配置>>") return name;
    }
    return profiles.SubkeyName(0);
}

}  // namespace

std::u16string InstallEngine::FormatVersionLabel() const {
    const int release = detail::MajorRelease(description.cadVersion);
    return release > 17 ? platform::text::Format(u"Dero9.0 FOR CAD%d", release + 1992) : std::u16string();
}

void InstallEngine::EditAcadProfiles() {
    const CADVer& d = description;
    if (d.HasCustomSystemFolder()) {
        WriteInstallRecord();
        return;
    }
    // An empty name would make the whole Profiles key the product's profile.
    if (d.profileName.empty()) return;
    RegKey profiles;
    if (!profiles.Open(HKEY_CURRENT_USER, d.cadRegistryKey + u"\\Profiles", KEY_READ | KEY_WRITE)) return;
    const int count = profiles.SubkeyCount();
    if (count == 0) return;
    if (count > 1) DeleteRegistryTree(profiles.get(), d.profileName);

    const std::u16string source = SourceProfile(profiles);
    RegKey profile, from;
    if (!profile.Create(profiles.get(), d.profileName, KEY_READ | KEY_WRITE)) return;
    if (from.Open(profiles.get(), source, KEY_READ)) CopyRegistryTree(from.get(), profile.get());
    from.Close();

    const std::u16string systemFolder = d.GetSystemFolder();
    OldText supportPath, palettePath, menuFile;
    {
        RegKey general;
        if (general.Create(profile.get(), u"General", KEY_READ | KEY_WRITE)) {
            supportPath = ReadOld(general, u"ACAD");
            general.SetString(u"ACAD", SubfolderPaths(d.installFolder) + supportPath.text, supportPath.type);
            general.SetDword(u"UseStartUpDialog", 0);
            general.SetDword(u"NoStartUpDialog", 1);
            general.SetDword(u"ScreenMenu", 0);
            const std::u16string workspace = FormatVersionLabel();
            if (!workspace.empty()) general.SetString(u"WSCURRENT", workspace);
            general.SetString(u"TemplatePath", systemFolder);
            if (detail::MajorRelease(d.cadVersion) > 17) {
                const std::u16string storage = systemFolder + u"\\Profile.aws";
                if (!detail::IsFile(storage)) {
                    const std::u16string text = u"Profile.aws is not finded in " + d.installFolder +
                                                u"\\system, Please reset current workspace";
                    MessageBoxW(nullptr, text.c_str(), g_wizardTitle.c_str(), MB_OK | MB_ICONEXCLAMATION);
                }
                general.SetString(u"ProfileStorage", storage);
            }
            palettePath = ReadOld(general, u"ToolPalettePath");
            const std::u16string palette = systemFolder + u"\\Palette";
            if (detail::IsFolder(palette)) general.SetString(u"ToolPalettePath", palette, palettePath.type);
            RegKey options;
            if (options.Create(general.get(), u"FullScreen\\Options", KEY_WRITE)) {
                options.SetDword(u"LastState", 0);
                options.SetDword(u"StatusBarOn", 0);
            }
        }
    }

    const std::u16string currentProfile = ReadOld(profiles, u"").text;
    {
        RegKey window;
        if (window.Open(profile.get(), u"Drawing Window", KEY_WRITE)) window.SetDword(u"Background", 0);
    }
    {
        RegKey configuration;
        if (configuration.Create(profile.get(), u"General Configuration", KEY_READ | KEY_WRITE)) {
            menuFile = ReadOld(configuration, u"MenuFile");
            configuration.SetString(u"MenuFile", systemFolder + u"\\acad", menuFile.type);
        }
    }
    {
        RegKey menus;
        if (menus.Create(profile.get(), u"Menus", KEY_READ | KEY_WRITE)) {
            RegDeleteValueW(menus.get(), u"Group1");
            for (int n = 1; n <= 14; ++n)
                menus.SetString(platform::text::Format(u"Pop%d", n), platform::text::Format(u"Dero pop%d", n));
        }
    }
    profile.SetString(u"GUID", d.guid);
    {
        RegKey previous;
        if (previous.Create(profile.get(), u"PreConfig", KEY_WRITE)) {
            previous.SetString(u"ACAD", supportPath.text);
            previous.SetString(u"ToolPalettePath", palettePath.text);
            previous.SetString(u"MenuFiles", menuFile.text);
            previous.SetString(u"DefaultConfig", currentProfile);
        }
    }
    profiles.SetString(u"", d.profileName);
    profile.Close();
    profiles.Close();
    WriteInstallRecord();
}

void InstallEngine::EditZwcadProfiles() {
    const CADVer& d = description;
    if (d.profileName.empty()) return;
    RegKey profiles;
    if (profiles.Open(HKEY_CURRENT_USER, u"Software\\ZWSoft\\" + d.cadProduct + u"\\" + d.zwcadVersion + u"\\Profiles",
                      KEY_READ | KEY_WRITE)) {
        RegKey profile;
        // The host's own "Default" profile is the source of the copy: never delete it.
        if (EqualNoCase(d.profileName, u"Default")) {
            profile.Open(profiles.get(), d.profileName, KEY_READ | KEY_WRITE);
        } else {
            DeleteRegistryTree(profiles.get(), d.profileName);
            if (profile.Create(profiles.get(), d.profileName, KEY_READ | KEY_WRITE))
                SHCopyKeyW(profiles.get(), u"Default", profile.get(), 0);
        }
        if (profile) {
            {
                RegKey config;
                if (config.Create(profile.get(), u"Config", KEY_WRITE)) {
                    config.SetDword(u"Ribbon", 0);
                    config.SetString(u"Template", d.installFolder + u"\\system");
                }
            }
            {
                RegKey common;
                if (common.Create(profile.get(), u"CommonSettings", KEY_WRITE)) {
                    common.SetString(u"Menufile", d.installFolder + u"\\system\\ZWCAD");
                    common.SetString(u"CustomResFile", d.installFolder + u"\\system\\CustomResFile.dll");
                }
            }
            {
                RegKey menus;
                if (menus.Create(profile.get(), u"Menus", KEY_READ | KEY_WRITE)) {
                    // Collected first: values are rewritten while they are listed.
                    std::vector<std::u16string> names;
                    for (DWORD i = 0;; ++i) {
                        std::vector<char16_t> name(16384);
                        DWORD length = static_cast<DWORD>(name.size());
                        const LONG result = RegEnumValueW(menus.get(), i, name.data(), &length, nullptr, nullptr,
                                                          nullptr, nullptr);
                        if (result == ERROR_NO_MORE_ITEMS) break;
                        if (result == ERROR_SUCCESS) names.emplace_back(name.data(), length);
                    }
                    for (const std::u16string& name : names) {
                        std::u16string text;
                        if (name.find(u"Pop") == std::u16string::npos || !menus.QueryText(name, &text)) continue;
                        const std::size_t at = text.find(u"ZWCAD");
                        // Only a menu that names the host once is renamed.
                        if (at == std::u16string::npos || text.find(u"ZWCAD", at + 5) != std::u16string::npos) continue;
                        menus.SetString(name, text.replace(at, 5, u"Dero"));
                    }
                }
            }
            {
                RegKey config;
                if (config.Create(profile.get(), u"Config", KEY_READ | KEY_WRITE)) {
                    const OldText support = ReadOld(config, u"ZWCAD");
                    const std::u16string& f = d.installFolder;
                    config.SetString(u"ZWCAD", platform::text::Format(u"%s;%s;%s;%s;%s;", f + u"\\system", f + u"\\bin",
                                                                      f + u"\\blocks", f + u"\\demo", support.text));
                }
            }
        }
    }
    WriteInstallRecord(true);
}

}  // namespace Setup
