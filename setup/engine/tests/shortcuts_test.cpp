// Desktop, start-menu and Quick Launch shortcuts, with link files written by a fake shell
// that keeps each link's fields as one line of text.
#include "setup/engine/shortcuts.h"

#include "engine_fixture.h"
#include "platform/text/encoding.h"
#include "platform/win/path_mapping.h"
#include "platform/win/registry.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/installed_products.h"

namespace {

using dero::testing::ReadFile;
using dero::testing::WriteFile;
using enginetest::EngineTest;
namespace fs = std::filesystem;

bool g_saveFails = false;
std::u16string g_notified;

bool SaveLink(const Setup::ShellLinkData& link, std::u16string_view path) {
    if (g_saveFails) return false;
    const std::u16string line = link.target + u"|" + link.arguments + u"|" + link.workingFolder + u"|" + link.iconPath +
                                u"|" + char16_t(u'0' + link.iconIndex) + u"|" + link.description + u"|" +
                                char16_t(u'0' + link.showCommand);
    WriteFile(platform::win::MapToLinux(path), platform::text::Utf16ToUtf8(line));
    return true;
}

class ShortcutsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        g_saveFails = false;
        g_notified.clear();
        fs::create_directories(C("Users/Surveyor/Desktop"));
        fs::create_directories(C("Users/Surveyor/Start Menu/Programs"));
        Setup::ShellServices services;
        services.saveLink = &SaveLink;
        services.desktopFolder = []() -> std::u16string { return u"C:\\Users\\Surveyor\\Desktop\\"; };
        services.appDataFolder = []() -> std::u16string { return u"C:\\Users\\Surveyor\\AppData"; };
        services.notifyPathChanged = [](std::u16string_view path) { g_notified = path; };
        Setup::SetShellServices(services);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                  0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::u16string programs = u"C:\\Users\\Surveyor\\Start Menu\\Programs";
        RegSetValueExW(key, u"Programs", 0, REG_SZ, reinterpret_cast<const BYTE*>(programs.c_str()),
                       static_cast<DWORD>((programs.size() + 1) * 2));
        RegCloseKey(key);
    }
    void TearDown() override {
        Setup::SetShellServices({});
        EngineTest::TearDown();
    }

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
    std::string Link(const std::string& rest) const { return ReadFile(C(rest)); }
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
};

TEST_F(ShortcutsTest, HostInstallLinksTheHostWithTheProfileAndRecordsTheLinks) {
    WriteFile(C("Users/Surveyor/Desktop/Dero 9.lnk"), "an older link");
    Setup::InstallEngine engine;
    engine.description = HostInstall();
    engine.WriteInstallRecord(true);
    engine.WriteUninstallEntry();
    engine.CreateShortcuts();

    EXPECT_EQ(Link("Users/Surveyor/Desktop/Dero 9.lnk"),
              "C:\\Program Files\\ZWCAD 2008\\ZWCAD.EXE|/p Dero /nologo acad.dwt|C:\\Dero\\system|C:\\Dero\\dero.ico|0||1");
    EXPECT_EQ(Link("Users/Surveyor/Start Menu/Programs/Dero \xe5\x9c\xb0\xe7\xb1\x8d\xe6\xb5\x8b\xe7\xbb\x98\xe7\xb3\xbb"
                   "\xe7\xbb\x9f/Dero 9.lnk"),
              "C:\\Program Files\\ZWCAD 2008\\ZWCAD.EXE|/p Dero /nologo acad.dwt|C:\\Dero\\system|C:\\Dero\\dero.ico|0|"
              "Dero Pelgar|1");
    // The old desktop link was replaced: one link, no leftovers beside it or in the temporary folder.
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(C("Users/Surveyor/Desktop"))) ++files;
    EXPECT_EQ(files, 1);
    EXPECT_FALSE(fs::exists(C("Temp/Dero 9.lnk")));
    EXPECT_EQ(g_notified, u"C:\\Users\\Surveyor\\Desktop\\Dero 9.lnk");

    // The entry was written before the links, the record after them.
    const std::u16string record = u"software\\quorvane\\install\\Dero Pelgar";
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"shortcut"), u"C:\\Users\\Surveyor\\Desktop\\Dero 9.lnk");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"startmenu"),
              u"C:\\Users\\Surveyor\\Start Menu\\Programs\\Dero 地籍测绘系统\\Dero 9.lnk");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Entry(u"Dero Pelgar"), u"shortcut"), u"");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Entry(u"Dero Pelgar"), u"startmenu"), u"");

    // Quick Launch gets a copy, recorded in both places.
    ASSERT_TRUE(Setup::AddQuickLaunchShortcut(engine.description));
    const std::string quick = "Users/Surveyor/AppData/Microsoft/Internet Explorer/Quick Launch/Dero 9.lnk";
    EXPECT_EQ(Link(quick), Link("Users/Surveyor/Desktop/Dero 9.lnk"));
    const std::u16string quickPath =
        u"C:\\Users\\Surveyor\\AppData\\Microsoft\\Internet Explorer\\Quick Launch\\Dero 9.lnk";
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, Entry(u"Dero Pelgar"), u"quicklaunch"), quickPath);
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"quicklaunch"), quickPath);

    // An AutoCAD host is started through acad.exe.
    Setup::g_desktopShortcutPath.clear();
    engine.description.cadProduct = u"AutoCAD 2005";
    engine.CreateShortcuts();
    EXPECT_EQ(Link("Users/Surveyor/Desktop/Dero 9.lnk").rfind("C:\\Program Files\\ZWCAD 2008\\acad.exe|/p Dero", 0), 0u);
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
    EXPECT_EQ(Link("Users/Surveyor/Desktop/Dero 9.lnk"), "C:\\Mapper\\mapper.exe||C:\\Mapper|C:\\Mapper\\dero.ico|0||1");
    EXPECT_EQ(Link("Users/Surveyor/Start Menu/Programs/Dero Mapper/Dero 9.lnk"),
              "C:\\Mapper\\mapper.exe||C:\\Mapper|C:\\Mapper\\dero.ico|0|Dero Mapper|1");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, u"Software\\Dero Mapper", u"shortcut"), u"C:\\Users\\Surveyor\\Desktop\\Dero 9.lnk");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, u"software\\quorvane\\install\\Dero Mapper", u"shortcut"), u"<no key>");

    // A product file name that is empty names no program: the host is linked, not the folder.
    engine.description.relatedFile.clear();
    engine.description.profileName = u"P";
    engine.CreateShortcuts();
    EXPECT_EQ(Link("Users/Surveyor/Desktop/Dero 9.lnk").rfind("C:\\Program Files\\ZWCAD 2008\\ZWCAD.EXE|/p P ", 0), 0u);
}

TEST_F(ShortcutsTest, FailuresLeaveEmptyPathsAndKeepTheOldLink) {
    WriteFile(C("Users/Surveyor/Desktop/Dero 9.lnk"), "an older link");
    Setup::InstallEngine engine;
    engine.description = HostInstall();

    // The shell cannot save: the old desktop link stays, nothing is recorded as made.
    g_saveFails = true;
    engine.CreateShortcuts();
    EXPECT_EQ(Link("Users/Surveyor/Desktop/Dero 9.lnk"), "an older link");
    EXPECT_EQ(Setup::g_desktopShortcutPath, u"");
    EXPECT_EQ(Setup::g_startMenuShortcutPath, u"");
    const std::u16string record = u"software\\quorvane\\install\\Dero Pelgar";
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"shortcut"), u"");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, record, u"startmenu"), u"");
    EXPECT_FALSE(Setup::AddQuickLaunchShortcut(engine.description));
    EXPECT_FALSE(fs::exists(C("Users/Surveyor/AppData")));

    // No programs folder in the registry: the desktop link alone.
    g_saveFails = false;
    RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    engine.CreateShortcuts();
    EXPECT_EQ(Setup::g_desktopShortcutPath, u"C:\\Users\\Surveyor\\Desktop\\Dero 9.lnk");
    EXPECT_EQ(Setup::g_startMenuShortcutPath, u"");

    // No shell at all, or no product name: nothing made, nothing recorded.
    Setup::g_desktopShortcutPath.clear();
    Setup::SetShellServices({});
    EXPECT_EQ(Setup::CreateShellLink(u"C:\\a.exe", u"A", u"C:\\", u"C:\\a.ico", u""), u"");
    EXPECT_FALSE(Setup::AddQuickLaunchShortcut(engine.description));
    engine.description.product.clear();
    engine.CreateShortcuts();
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
