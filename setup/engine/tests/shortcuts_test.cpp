// Desktop, start-menu and Quick Launch shortcuts made with the shell's link object and special
// folders, read back from the link files.
#include "setup/engine/shortcuts.h"

#include <algorithm>

#include "engine_fixture.h"
#include "platform/win/machine.h"
#include "platform/win/registry.h"
#include "platform/win/shell_link.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/installed_products.h"

namespace {

using dero::testing::ReadFile;
using dero::testing::WriteFile;
using enginetest::EngineTest;
namespace fs = std::filesystem;

constexpr char16_t kDesktop[] = u"C:\\Users\\Administrator\\Desktop";
constexpr char16_t kPrograms[] = u"C:\\Users\\Administrator\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
constexpr char16_t kQuickLaunch[] =
    u"C:\\Users\\Administrator\\AppData\\Roaming\\Microsoft\\Internet Explorer\\Quick Launch";

// What a link file holds, as the shell reads it; a missing or unreadable file gives "<none>".
struct LinkFields {
    std::u16string target = u"<none>", arguments, folder, icon, description;
    int iconIndex = -1;
    bool operator==(const LinkFields&) const = default;
};

std::ostream& operator<<(std::ostream& out, const LinkFields& l) {
    const auto text = [](const std::u16string& s) { return std::string(s.begin(), s.end()); };
    return out << text(l.target) << "|" << text(l.arguments) << "|" << text(l.folder) << "|" << text(l.icon) << ","
               << l.iconIndex << "|" << text(l.description);
}

LinkFields ReadLink(const std::u16string& path) {
    LinkFields fields;
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            WCHAR text[MAX_PATH] = {};
            link->GetPath(text, MAX_PATH, nullptr, 0);
            fields.target = text;
            link->GetArguments(text, MAX_PATH);
            fields.arguments = text;
            link->GetWorkingDirectory(text, MAX_PATH);
            fields.folder = text;
            link->GetIconLocation(text, MAX_PATH, &fields.iconIndex);
            fields.icon = text;
            link->GetDescription(text, MAX_PATH);
            fields.description = text;
        }
        if (file) file->Release();
        link->Release();
    }
    CoUninitialize();
    return fields;
}

// A link of our own at a path, standing for what the user had before the install.
void SaveLink(const std::u16string& path, const std::u16string& target) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_EQ(file->Save(path.c_str(), TRUE), S_OK);
    file->Release();
    link->Release();
    CoUninitialize();
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (fs::exists(folder))
        for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ShortcutsTest : public EngineTest {
protected:
    static Setup::CADVer HostInstall() {
        Setup::CADVer d;
        d.cadFolder = u"C:\\Program Files\\ZWCAD 2008";
        d.cadRegistryKey = u"Software\\ZWSoft\\ZWCAD\\2008\\zh-CN";
        d.cadProduct = u"zwcad 2008";
        d.installFolder = u"C:\\Dero";
        d.profileName = u"Dero";
        d.product = u"Dero Pelgar";
        d.iconFile = u"dero.ico";
        d.version = u"Dero 9";
        return d;
    }
    std::u16string Value(HKEY hive, const std::u16string& key, const char16_t* name) {
        HKEY open;
        if (RegOpenKeyExW(hive, key.c_str(), 0, KEY_READ, &open) != ERROR_SUCCESS) return u"<no key>";
        char16_t buffer[512] = {};
        DWORD size = sizeof buffer - 2;
        const LONG result = RegQueryValueExW(open, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(open);
        return result == ERROR_SUCCESS ? std::u16string(buffer) : u"<missing>";
    }
    static std::u16string Entry(const char16_t* product) {
        return std::u16string(Setup::kUninstallRoot) + u"\\" + product;
    }
    std::string DesktopFolder() const { return C("Users/Administrator/Desktop"); }
};

TEST_F(ShortcutsTest, HostInstallLinksTheHostWithTheProfileAndRecordsTheLinks) {
    const std::u16string desktopLink = std::u16string(kDesktop) + u"\\Dero 9.lnk";
    fs::create_directories(DesktopFolder());
    SaveLink(desktopLink, u"C:\\Old\\old.exe");
    Setup::InstallEngine engine;
    engine.description = HostInstall();
    engine.WriteInstallRecord(true);
    engine.WriteUninstallEntry();
    engine.CreateShortcuts();

    LinkFields host;
    host.target = u"C:\\Program Files\\ZWCAD 2008\\ZWCAD.EXE";
    host.arguments = u"/p Dero /nologo acad.dwt";
    host.folder = u"C:\\Dero\\system";
    host.icon = u"C:\\Dero\\dero.ico";
    host.iconIndex = 0;
    EXPECT_EQ(ReadLink(desktopLink), host);
    const std::u16string startLink = std::u16string(kPrograms) + u"\\Dero 地籍测绘系统\\Dero 9.lnk";
    LinkFields start = host;
    start.description = u"Dero Pelgar";
    EXPECT_EQ(ReadLink(startLink), start);

    // The old desktop link was replaced: one link, no backup beside it, nothing left in the
    // temporary folder; the shell was told.
    EXPECT_EQ(FilesIn(DesktopFolder()), std::vector<std::string>{"Dero 9.lnk"});
    EXPECT_TRUE(FilesIn(C("Temp")).empty());
    const std::vector<std::u16string> events = platform::win::ReadEvents();
    EXPECT_NE(std::find(events.begin(), events.end(), u"notify 0x7FFFFFFF 0x1005 \"" + desktopLink + u"\""),
              events.end());

    // The entry was written before the links, the record after them.
    const std::u16string record = u"software\\quorvane\\install\\Dero Pelgar";
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"shortcut"), desktopLink);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"startmenu"), startLink);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Entry(u"Dero Pelgar"), u"shortcut"), u"");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Entry(u"Dero Pelgar"), u"startmenu"), u"");

    // Quick Launch gets a copy, recorded in both places.
    ASSERT_TRUE(Setup::AddQuickLaunchShortcut(engine.description));
    const std::u16string quick = std::u16string(kQuickLaunch) + u"\\Dero 9.lnk";
    EXPECT_EQ(ReadLink(quick), host);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Entry(u"Dero Pelgar"), u"quicklaunch"), quick);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"quicklaunch"), quick);

    // An AutoCAD host is started through acad.exe.
    Setup::g_desktopShortcutPath.clear();
    engine.description.cadProduct = u"AutoCAD 2005";
    engine.CreateShortcuts();
    EXPECT_EQ(ReadLink(desktopLink).target, u"C:\\Program Files\\ZWCAD 2008\\acad.exe");
    EXPECT_EQ(FilesIn(DesktopFolder()), std::vector<std::string>{"Dero 9.lnk"});
}

TEST_F(ShortcutsTest, StandaloneProgramIsLinkedDirectly) {
    Setup::InstallEngine engine;
    engine.description = HostInstall();
    engine.description.product = u"Dero Mapper";
    engine.description.profileName.clear();
    engine.description.installFolder = u"C:\\Mapper";
    engine.description.relatedFile = u"mapper.exe";
    engine.description.cadProduct = u"ZWCAD";
    WriteFile(C("Mapper/mapper.exe"), "program");
    engine.WriteInstallRecord();
    engine.CreateShortcuts();
    LinkFields program;
    program.target = u"C:\\Mapper\\mapper.exe";
    program.folder = u"C:\\Mapper";
    program.icon = u"C:\\Mapper\\dero.ico";
    program.iconIndex = 0;
    const std::u16string desktopLink = std::u16string(kDesktop) + u"\\Dero 9.lnk";
    EXPECT_EQ(ReadLink(desktopLink), program);
    program.description = u"Dero Mapper";
    EXPECT_EQ(ReadLink(std::u16string(kPrograms) + u"\\Dero Mapper\\Dero 9.lnk"), program);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, u"Software\\Dero Mapper", u"shortcut"), desktopLink);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, u"software\\quorvane\\install\\Dero Mapper", u"shortcut"), u"<no key>");

    // A product file name that is empty names no program: the host is linked, not the folder.
    engine.description.relatedFile.clear();
    engine.description.profileName = u"P";
    engine.CreateShortcuts();
    const LinkFields host = ReadLink(desktopLink);
    EXPECT_EQ(host.target, u"C:\\Program Files\\ZWCAD 2008\\ZWCAD.EXE");
    EXPECT_EQ(host.arguments, u"/p P /nologo acad.dwt");
}

TEST_F(ShortcutsTest, FailuresLeaveEmptyPathsAndKeepTheOldLink) {
    WriteFile(DesktopFolder() + "/Dero 9.lnk", "an older link");
    Setup::InstallEngine engine;
    engine.description = HostInstall();

    // No link can be saved: the old desktop link stays, nothing is recorded as made.
    {
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(platform::win::FaultKind::Write, u"*.lnk");
        engine.CreateShortcuts();
    }
    EXPECT_EQ(ReadFile(DesktopFolder() + "/Dero 9.lnk"), "an older link");
    EXPECT_EQ(Setup::g_desktopShortcutPath, u"");
    EXPECT_EQ(Setup::g_startMenuShortcutPath, u"");
    const std::u16string record = u"software\\quorvane\\install\\Dero Pelgar";
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"shortcut"), u"");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"startmenu"), u"");
    EXPECT_FALSE(Setup::AddQuickLaunchShortcut(engine.description));
    EXPECT_TRUE(FilesIn(C("Users/Administrator/AppData/Roaming/Microsoft/Internet Explorer/Quick Launch")).empty());

    // No programs folder in the registry: the desktop link alone.
    RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    engine.CreateShortcuts();
    EXPECT_EQ(Setup::g_desktopShortcutPath, std::u16string(kDesktop) + u"\\Dero 9.lnk");
    EXPECT_EQ(Setup::g_startMenuShortcutPath, u"");

    // No product name: nothing made, nothing recorded.
    Setup::g_desktopShortcutPath.clear();
    EXPECT_FALSE(Setup::AddQuickLaunchShortcut(engine.description));
    engine.description.product.clear();
    engine.CreateShortcuts();
    EXPECT_EQ(Setup::g_desktopShortcutPath, u"");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\quorvane\\install", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD subkeys = 0, values = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(subkeys, 1u);
    EXPECT_EQ(values, 0u);
}

}  // namespace
