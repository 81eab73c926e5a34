// Finding the CAD hosts and the installed copies, and making the product's host profiles, on a
// registry imported from a fixture with regtool and compared as regtool dumps it.
#include <regex>

#include "engine_fixture.h"
#include "platform/ui/answer_source.h"
#include "platform/win/registry.h"
#include "setup/engine/host_detection.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/registry_trees.h"
#include "setup/engine/setup_xml.h"

namespace {

using dero::testing::ReadFile;
using dero::testing::WriteFile;
using enginetest::EngineTest;

std::string FixturePath(const std::string& name) { return std::string(DERO_SOURCE_DIR) + "/setup/engine/tests/fixtures/" + name; }

class HostsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        const enginetest::RunResult r =
            enginetest::RunCommand(std::string(REGTOOL_PATH) + " --root " + Root() + " import " + FixturePath("hosts.reg"));
        ASSERT_EQ(r.status, 0) << r.out;
        for (const char* program : {"Program Files/AutoCAD 2009/acad.exe", "Program Files/AutoCAD 2010/acad.exe",
                                    "Program Files/AutoCAD Map 3D 2010/acad.exe", "Program Files/ZWCAD 2009/zwcad.exe",
                                    "Setup/data.cab"})
            WriteFile(C(program), "x");
        WriteFile(C("Setup/setup.xml"), ReadFile(FixturePath("hosts_setup.xml")));
        ASSERT_EQ(Setup::LoadSetupXml(), 1);
        queue_ = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
    }
    void TearDown() override {
        platform::ui::SetAnswerDriver(nullptr);
        EngineTest::TearDown();
    }
    // The current user's hive with the records' times blanked.
    std::string UserDump() const {
        static const std::regex timeLine("\"time\"=\"[^\"]*\"");
        return std::regex_replace(Dump("HKEY_CURRENT_USER"), timeLine, "\"time\"=\"\"");
    }
    std::shared_ptr<platform::ui::AnswerQueue> queue_;
};

std::vector<std::u16string> Products(const std::vector<Setup::CADVer>& list) {
    std::vector<std::u16string> products;
    for (const Setup::CADVer& d : list) products.push_back(d.product);
    return products;
}

TEST_F(HostsTest, HostsAreMatchedWithPackageProfilesAndInstalledCopies) {
    std::vector<Setup::CADVer> targets, copies;
    Setup::ReadInstallRecords(copies);
    // The record without a GUID is passed over; the entry of the same copy is not listed twice.
    EXPECT_EQ(Products(copies), (std::vector<std::u16string>{u"Dero Survey", u"Dero Retired"}));
    EXPECT_EQ(copies[0].recordPath, u"software\\quorvane\\install\\Dero Survey");
    EXPECT_EQ(copies[1].installed, 1);

    ASSERT_EQ(Setup::DetectHostVersions(targets, copies), 1);
    // The host without acad.exe is not offered; each edition gets the profile of its own edition;
    // the ZWCAD host already carries an installed copy, which takes it over.
    ASSERT_EQ(Products(targets), (std::vector<std::u16string>{u"Dero 2009", u"Dero Pelgar", u"Dero Map"}));
    EXPECT_EQ(targets[0].cadRegistryKey, u"Software\\Autodesk\\AutoCAD\\R17.2\\ACAD-7001:804");
    EXPECT_EQ(targets[0].cadFolder, u"C:\\Program Files\\AutoCAD 2009");
    EXPECT_EQ(targets[1].cadProduct, u"AutoCAD 2010");
    EXPECT_EQ(targets[1].profileName, u"Dero");
    EXPECT_EQ(targets[1].company, u"Quorvane");
    EXPECT_EQ(targets[1].extName, u"dpk");
    EXPECT_EQ(targets[2].cadProduct, u"AutoCAD Map 3D 2010");
    EXPECT_EQ(targets[2].fileNum, 13);

    // "Dero Retired" is no longer in the package; the standalone product's key makes it installed.
    ASSERT_EQ(Products(copies), (std::vector<std::u16string>{u"Dero Survey", u"Dero Mapper"}));
    const Setup::CADVer& survey = copies[0];
    EXPECT_EQ(survey.cadFolder, u"C:\\Program Files\\ZWCAD 2009");
    EXPECT_EQ(survey.cadRegistryKey, u"Software\\ZWSoft\\ZWCAD\\2009\\zh-CN");
    EXPECT_EQ(survey.cadVersion, u"2009zh-CN");
    EXPECT_EQ(survey.cadProduct, u"ZWCAD\\2009");
    EXPECT_EQ(survey.zwcadVersion, u"zh-CN");
    EXPECT_EQ(survey.title, u"Dero 地籍");  // the update writes its installed setup.xml from the copy
    EXPECT_EQ(survey.source, u"zwcad");
    EXPECT_EQ(survey.fresh, 0);
    EXPECT_EQ(copies[1].cadRegistryKey, u"Software\\Dero Mapper");
    EXPECT_EQ(copies[1].installed, 1);
    EXPECT_EQ(copies[1].fresh, 0);

    // A ZWCAD host: product, version and the key below the product.
    std::vector<Setup::CADVer> zwcad;
    HKEY root;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Setup::kZwcadRoot, 0, KEY_READ, &root), ERROR_SUCCESS);
    Setup::DetectZwcadProfiles(Setup::kZwcadRoot, root, zwcad);
    RegCloseKey(root);
    ASSERT_EQ(zwcad.size(), 1u);
    EXPECT_EQ(zwcad[0].cadProduct, u"ZWCAD\\2009");
    EXPECT_EQ(zwcad[0].zwcadVersion, u"zh-CN");
    EXPECT_EQ(zwcad[0].product, u"dero 2008");

    // Without the cabinet beside the program nothing can be installed.
    std::filesystem::remove(C("Setup/data.cab"));
    Setup::ReadInstallRecords(copies);
    Setup::DetectHostVersions(targets, copies);
    EXPECT_TRUE(targets.empty());
    EXPECT_EQ(copies.size(), 2u);
}

TEST_F(HostsTest, ProfileEditsLeaveTheExpectedRegistry) {
    std::vector<Setup::CADVer> targets, copies;
    Setup::ReadInstallRecords(copies);
    Setup::DetectHostVersions(targets, copies);
    ASSERT_EQ(targets.size(), 3u);
    ASSERT_EQ(copies.size(), 2u);
    WriteFile(C("Dero/bin/a.arx"), "a");
    WriteFile(C("Dero/blocks/b.dwg"), "b");
    WriteFile(C("Dero/system/Palette/p.atc"), "p");
    WriteFile(C("Dero 2009/system/Profile.aws"), "w");

    Setup::InstallEngine engine;
    engine.fileCount = 12;
    engine.description = targets[1];  // AutoCAD 2010: copies the unnamed profile, no workspace file
    engine.description.installFolder = u"C:\\Dero";
    engine.EditAcadProfiles();
    EXPECT_EQ(engine.FormatVersionLabel(), u"Dero9.0 FOR CAD2010");
    const std::vector<std::string> transcript = platform::ui::TranscriptLines();
    ASSERT_FALSE(transcript.empty());
    EXPECT_NE(transcript.front().find("Profile.aws is not finded in C:\\Dero\\system, Please reset current workspace"),
              std::string::npos);

    engine.description = targets[0];  // AutoCAD 2009: its single profile is already the product's
    engine.description.installFolder = u"C:\\Dero 2009";
    engine.fileCount = 11;
    platform::ui::ClearTranscript();
    engine.EditAcadProfiles();
    EXPECT_EQ(engine.FormatVersionLabel(), u"");
    EXPECT_TRUE(platform::ui::TranscriptLines().empty());

    engine.description = copies[0];  // ZWCAD
    engine.description.installFolder = u"C:\\Dero Survey";
    engine.fileCount = 10;
    Setup::g_useHeader = 0;
    engine.EditZwcadProfiles();

    // Nothing at all for a profile without a name.
    const std::string before = UserDump();
    engine.description.profileName.clear();
    engine.EditZwcadProfiles();
    engine.description = targets[1];
    engine.description.profileName.clear();
    engine.EditAcadProfiles();
    EXPECT_EQ(UserDump(), before);

    EXPECT_EQ(before, ReadFile(FixturePath("hosts_edited_hkcu.reg")));
}

TEST_F(HostsTest, RegistryTreesCopyLongValuesAndRefuseEmptyNames) {
    HKEY source, copy;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tree\\A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &source, nullptr),
              ERROR_SUCCESS);
    const std::u16string text(3000, u'路');
    RegSetValueExW(source, u"long", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * 2));
    const std::u16string name(2000, u'n');
    const DWORD number = 7;
    RegSetValueExW(source, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    RegCloseKey(source);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tree\\A", 0, KEY_READ, &source), ERROR_SUCCESS);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Copy", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &copy,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_TRUE(Setup::CopyRegistryTree(source, copy));
    RegCloseKey(source);
    RegCloseKey(copy);
    const std::string dump = Dump("HKEY_CURRENT_USER");
    const auto section = [&](const std::string& key) {
        const std::size_t at = dump.find("[HKEY_CURRENT_USER\\" + key + "]");
        if (at == std::string::npos) return std::string();
        const std::size_t start = at + key.size() + 21;
        return dump.substr(start, dump.find("\n\n", at) - start);
    };
    EXPECT_FALSE(section("Software\\Copy\\B\\C").empty());
    EXPECT_EQ(section("Software\\Copy\\B\\C"), section("Software\\Tree\\A\\B\\C"));

    // An empty name would delete the open key itself; a missing key counts as gone.
    HKEY tree;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tree", 0, KEY_ALL_ACCESS, &tree), ERROR_SUCCESS);
    EXPECT_FALSE(Setup::DeleteRegistryTree(tree, u""));
    EXPECT_FALSE(Setup::DeleteRegistryTree(tree, std::u16string(520, u'k')));
    EXPECT_TRUE(Setup::DeleteRegistryTree(tree, u"Missing"));
    EXPECT_TRUE(Setup::DeleteRegistryTree(tree, u"A"));
    RegCloseKey(tree);
    HKEY gone;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tree\\A", 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tree", 0, KEY_READ, &gone), ERROR_SUCCESS);
    RegCloseKey(gone);
}

}  // namespace
