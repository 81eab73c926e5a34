// The install records, the uninstall entry and the package file type, checked as regtool dumps
// the hives, and the install description they are written from.
#include <regex>

#include "engine_fixture.h"
#include "platform/win/machine.h"
#include "platform/win/registry.h"
#include "setup/engine/install_engine.h"

namespace {

using dero::testing::ReadFile;
using enginetest::EngineTest;

class RecordsTest : public EngineTest {
protected:
    static std::string Fixture(const std::string& name) {
        return ReadFile(std::string(DERO_SOURCE_DIR) + "/setup/engine/tests/fixtures/" + name);
    }
    // The dump with every "time" value collected and blanked, so the rest compares exactly.
    static std::string WithoutTimes(const std::string& dump, std::vector<std::string>* times = nullptr) {
        static const std::regex timeLine("\"time\"=\"([^\"]*)\"");
        std::string out;
        for (std::sregex_iterator it(dump.begin(), dump.end(), timeLine), end; it != end; ++it)
            if (times) times->push_back((*it)[1]);
        return std::regex_replace(dump, timeLine, "\"time\"=\"\"");
    }
    bool KeyExists(HKEY hive, const char16_t* path) {
        HKEY key;
        if (RegOpenKeyExW(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    static Setup::CADVer HostInstall() {
        Setup::CADVer d;
        d.cadProductName = u"ZWCAD\\ZWCAD 2008";
        d.cadFolder = u"C:\\Program Files\\ZWCAD 2008";
        d.cadRegistryKey = u"Software\\ZWSoft\\ZWCAD\\2008\\zh-CN";
        d.installFolder = u"C:\\Dero";
        d.profileName = u"Dero";
        d.product = u"Dero Pelgar";
        d.company = u"Quorvane";
        d.picture = u"120";
        d.cadProduct = u"ZWCAD 2008";
        d.iconFile = u"dero.ico";
        d.version = u"Dero 9";
        d.relatedFile = u"none";
        d.extName = u"dpk";
        return d;
    }
    static Setup::CADVer Standalone() {
        Setup::CADVer d = HostInstall();
        d.product = u"Dero Mapper";
        d.cadRegistryKey = u"Software\\Dero Mapper";
        d.installFolder = u"C:\\Program Files\\Dero Mapper";
        d.profileName = u"";
        d.relatedFile = u"DeroMap.exe";  // 11 characters: a program of its own and a file type
        d.relatedIcon = u"package.ico";
        d.restart = 1;
        return d;
    }
};

TEST_F(RecordsTest, DescriptionDefaultsAndSystemFolder) {
    Setup::CADVer d;
    EXPECT_EQ(d.guid, Setup::kProductGuid);
    EXPECT_EQ(d.buildGuid, Setup::kBuildGuid);
    EXPECT_EQ(d.userCompany, Setup::kUserCompanyPlaceholder);
    EXPECT_EQ(d.userName, u"SURVEY-PC");

    // A name that does not fit 15 characters with its terminator leaves the user name empty.
    Setup::SetComputerNameQuery([](LPWSTR buffer, LPDWORD size) -> BOOL {
        const std::u16string name = u"SURVEY-OFFICE-1";
        if (*size <= name.size()) return FALSE;
        std::copy(name.begin(), name.end(), buffer);
        *size = static_cast<DWORD>(name.size());
        return TRUE;
    });
    EXPECT_EQ(Setup::CADVer().userName, u"");

    // Left alone, the description asks the machine itself.
    Setup::SetComputerNameQuery(nullptr);
    platform::win::MachineFacts facts;
    facts.computerName = u"MAPPING-PC";
    ASSERT_TRUE(platform::win::WriteMachineFacts(facts));
    EXPECT_EQ(Setup::CADVer().userName, u"MAPPING-PC");
    facts.computerName = u"SURVEY-OFFICE-1";
    ASSERT_TRUE(platform::win::WriteMachineFacts(facts));
    EXPECT_EQ(Setup::CADVer().userName, u"");

    d.installFolder = u"C:\\Dero";
    d.relatedFile = u"abcd";
    EXPECT_FALSE(d.HasCustomSystemFolder());
    EXPECT_EQ(d.GetSystemFolder(), u"C:\\Dero\\system");
    d.relatedFile = u"abcde";
    EXPECT_EQ(d.GetSystemFolder(), u"C:\\Dero");

    d.restart = 1;
    d.fresh = 0;
    d.fileNum = 9;
    const Setup::CADVer copy = d;
    EXPECT_EQ(copy.restart, 1);
    EXPECT_EQ(copy.fresh, 0);
    EXPECT_EQ(copy.fileNum, 9);
}

TEST_F(RecordsTest, HivesAfterAHostAndAStandaloneInstallMatchTheFixtures) {
    // ZWCAD plug-in install: the profile edits write the record with the header flag, then the
    // entry follows.
    Setup::InstallEngine host;
    host.description = HostInstall();
    host.fileCount = 37;
    Setup::g_useHeader = 0;
    host.WriteInstallRecord(true);
    host.WriteUninstallEntry();
    EXPECT_TRUE(host.RegisterFileType());  // 4 characters: no file type

    // Standalone product after its shortcuts are known.
    Setup::InstallEngine alone;
    alone.description = Standalone();
    alone.fileCount = 5;
    Setup::g_desktopShortcutPath = u"C:\\Users\\Desktop\\Dero 9.lnk";
    Setup::g_startMenuShortcutPath = u"C:\\Start Menu\\Dero Mapper\\Dero 9.lnk";
    alone.WriteInstallRecord();
    alone.WriteUninstallEntry();
    EXPECT_TRUE(alone.RegisterFileType());

    std::vector<std::string> times;
    EXPECT_EQ(WithoutTimes(Dump("HKEY_CURRENT_USER"), &times), Fixture("records_hkcu.reg"));
    EXPECT_EQ(WithoutTimes(Dump("HKEY_LOCAL_MACHINE")), Fixture("records_hklm.reg"));
    EXPECT_EQ(Dump("HKEY_CLASSES_ROOT"), Fixture("records_hkcr.reg"));
    // Blank-padded fields, the year in full.
    ASSERT_EQ(times.size(), 2u);
    EXPECT_EQ(times[0], "2026- 3- 4  5: 6: 7");
    EXPECT_EQ(times[1], "2026- 3- 4  5: 6: 7");
}

TEST_F(RecordsTest, FileTypeNeedsAProgramOfTenCharactersAndQuotesItsPath) {
    Setup::InstallEngine engine;
    engine.description = Standalone();
    engine.description.relatedFile = u"dm.exe1";  // 7: standalone, but no file type
    EXPECT_TRUE(engine.RegisterFileType());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u".dpk"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"dpkfile"));

    // Only an extension the uninstall removes again: an empty one would take over every file
    // without an extension.
    engine.description.relatedFile = u"DeroMap.exe";
    for (const char16_t* extension : {u"", u"  ", u" pk ", u"d.pk", u"dp\\k"}) {
        engine.description.extName = extension;
        EXPECT_TRUE(engine.RegisterFileType());
        EXPECT_EQ(Dump("HKEY_CLASSES_ROOT"), "Windows Registry Editor Version 5.00\n\n");
    }
    engine.description.extName = u" dpk ";
    EXPECT_TRUE(engine.RegisterFileType());
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u".dpk"));
    engine.description.extName = u"dpk";

    engine.description.relatedFile = u"DeroMap.ex";  // 10
    EXPECT_TRUE(engine.RegisterFileType());
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u"dpkfile\\shell\\open\\command", 0, KEY_READ, &key), ERROR_SUCCESS);
    char16_t value[300] = {};
    DWORD size = sizeof value;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(std::u16string(value), u"\"C:\\Program Files\\Dero Mapper\\DeroMap.ex\" \"%1\"");

    // Either main key failing ends the registration with false.
    platform::win::ScopedFaults faults;
    platform::win::InjectFault(platform::win::FaultKind::RegistryCreate, u"HKEY_CLASSES_ROOT\\.dpk");
    EXPECT_FALSE(engine.RegisterFileType());
    platform::win::ClearFaults();
    platform::win::InjectFault(platform::win::FaultKind::RegistryCreate, u"HKEY_CLASSES_ROOT\\dpkfile");
    EXPECT_FALSE(engine.RegisterFileType());
}

TEST_F(RecordsTest, NothingIsWrittenUnderAMissingName) {
    Setup::InstallEngine engine;
    engine.description = HostInstall();
    engine.description.product.clear();
    engine.WriteInstallRecord();
    engine.WriteUninstallEntry();
    engine.description = Standalone();
    engine.description.product.clear();
    engine.WriteInstallRecord();
    engine.WriteUninstallEntry();
    engine.description = HostInstall();
    engine.description.profileName.clear();
    engine.WriteInstallRecord();
    engine.WriteUninstallEntry();
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"Software"));

    // An uninstall root that cannot be opened: the entry is skipped, the record still written.
    platform::win::ScopedFaults faults;
    platform::win::InjectFault(platform::win::FaultKind::RegistryCreate, u"HKEY_LOCAL_MACHINE\\*");
    engine.description = HostInstall();
    engine.WriteUninstallEntry();
    engine.WriteInstallRecord();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, u"Software"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"software\\quorvane\\install\\Dero Pelgar"));
}

}  // namespace
