// Finding installed copies through the uninstall entries, counting their files, and the free
// space of a drive.
#include "setup/engine/installed_products.h"

#include "engine_fixture.h"
#include "platform/win/fault_injection.h"
#include "platform/win/folders.h"
#include "platform/win/machine.h"
#include "platform/win/registry.h"
#include "setup/engine/disk_space.h"

namespace {

using dero::testing::WriteFile;
using enginetest::EngineTest;

class LookupTest : public EngineTest {
protected:
    void Entry(const std::u16string& key, std::initializer_list<std::pair<const char16_t*, std::u16string>> values) {
        HKEY entry;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::u16string(Setup::kUninstallRoot) + u"\\" + key).c_str(), 0,
                                  nullptr, 0, KEY_WRITE, nullptr, &entry, nullptr),
                  ERROR_SUCCESS);
        for (const auto& [name, value] : values)
            RegSetValueExW(entry, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * 2));
        RegCloseKey(entry);
    }
    static std::u16string ThisProgram() {
        char16_t program[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        return program;
    }
};

TEST_F(LookupTest, ListsTheFamilysEntriesWithTheirFileCounts) {
    std::vector<Setup::CADVer> products(3);
    Setup::ListInstalledProducts(products);  // no uninstall root yet
    EXPECT_TRUE(products.empty());

    WriteFile(C("Dero/a.dll"), "a");
    WriteFile(C("Dero/system/setup.exe"), "b");
    WriteFile(C("Dero/system/deep/c.txt"), "c");
    std::filesystem::create_directories(C("Dero/empty"));
    Entry(u"A Dero", {{u"DisplayName", u"Dero"}, {u"InstallLocation", u"c:\\DERO"}, {u"DisplayVersion", u"DeroProfile"},
                      {u"installinfo", u"DEROINSTALL 1.0"}});
    Entry(u"B Other", {{u"DisplayName", u"Other"}, {u"InstallLocation", u"C:\\Dero"}});
    Entry(u"C Foreign", {{u"DisplayName", u"Foreign"}, {u"installinfo", u"otherinstall 2"}});
    Entry(u"D Gone", {{u"DisplayName", u"Gone"}, {u"InstallLocation", u"C:\\Gone"}, {u"installinfo", u"x deroinstall"}});
    Setup::ListInstalledProducts(products);
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products[0].product, u"Dero");
    EXPECT_EQ(products[0].installFolder, u"c:\\DERO");
    EXPECT_EQ(products[0].profileName, u"DeroProfile");
    EXPECT_EQ(products[0].fileNum, 4);  // three files below it, plus one
    EXPECT_EQ(products[0].guid, Setup::kProductGuid);
    EXPECT_EQ(products[1].product, u"Gone");
    EXPECT_EQ(products[1].fileNum, 1);  // a missing folder counts no files

    EXPECT_EQ(Setup::CountFilesInFolder(u"C:\\Dero"), 3);
    EXPECT_EQ(Setup::CountFilesInFolder(u"C:\\Dero\\empty"), 0);
    EXPECT_EQ(Setup::CountFilesInFolder(u""), 0);

    // A value longer than its buffer leaves the member empty.
    Entry(u"A Dero", {{u"DisplayVersion", std::u16string(600, u'x')}});
    Setup::ListInstalledProducts(products);
    EXPECT_EQ(products[0].profileName, u"");
}

TEST_F(LookupTest, ReadUninstallEntryMatchesByNameOrByThisProgram) {
    Setup::CADVer d;
    EXPECT_FALSE(Setup::ReadUninstallEntry(d));

    std::u16string program = ThisProgram();
    ASSERT_FALSE(program.empty());
    for (auto& c : program)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);  // the command compares without case
    WriteFile(C("Dero/a.dll"), "a");
    Entry(u"1 First", {{u"DisplayName", u"Dero"}, {u"InstallLocation", u"C:\\Dero"}, {u"DisplayVersion", u"P1"},
                       {u"UninstallString", u"C:\\Dero\\system\\setup.exe"}});
    Entry(u"2 Second", {{u"DisplayName", u"DERO"}, {u"InstallLocation", u"C:\\Elsewhere"}, {u"DisplayVersion", u"P2"}});
    Entry(u"3 Mine", {{u"DisplayName", u"Mapper"}, {u"InstallLocation", u"C:\\Mapper"}, {u"DisplayVersion", u"P3"},
                      {u"UninstallString", program}});

    // By name, without case: the first of two equal names in enumeration order.
    d.product = u"dero";
    ASSERT_TRUE(Setup::ReadUninstallEntry(d));
    EXPECT_EQ(d.product, u"Dero");
    EXPECT_EQ(d.installFolder, u"C:\\Dero");
    EXPECT_EQ(d.profileName, u"P1");
    EXPECT_EQ(d.fileNum, 2);

    // An empty or short product name is found by the uninstall command naming this program.
    for (const char16_t* shortName : {u"", u"ab"}) {
        Setup::CADVer mine;
        mine.product = shortName;
        ASSERT_TRUE(Setup::ReadUninstallEntry(mine));
        EXPECT_EQ(mine.product, u"Mapper");
        EXPECT_EQ(mine.profileName, u"P3");
        EXPECT_EQ(mine.fileNum, 1);
    }

    Setup::CADVer none;
    none.product = u"Nothing";
    none.installFolder = u"kept";
    EXPECT_FALSE(Setup::ReadUninstallEntry(none));
    EXPECT_EQ(none.installFolder, u"kept");
}

TEST_F(LookupTest, FreeSpaceQueriesTheDriveOfAPath) {
    // Drive C: has a little over 512 MB free, drive D: 300 MB.
    platform::win::MachineFacts facts;
    facts.freeSpace[u'C'] = 512ull * 1048576 + 1048575;  // truncated, then one added
    facts.freeSpace[u'D'] = 300ull * 1048576;
    ASSERT_TRUE(platform::win::WriteMachineFacts(facts));
    std::filesystem::create_directories(Root() + "/d");

    std::uint64_t available = 9, total = 9, free = 9;
    for (const char16_t* path : {u"C:\\x\\y", u"C:", u"C", u"C:\\"}) {
        available = total = free = 9;
        EXPECT_TRUE(Setup::GetDiskFreeMegabytes(path, &available, &total, &free));
        EXPECT_EQ(available, 513u);
        EXPECT_EQ(free, 512u);
        EXPECT_GE(total, 512u);
    }
    EXPECT_TRUE(Setup::GetDiskFreeMegabytes(u"D:\\Program Files", &available, &total, &free));
    EXPECT_EQ(available, 301u);

    // A hidden entry point, or no kernel32 to find it in: zeros and false.
    for (const auto& [kind, pattern] : {std::pair{platform::win::FaultKind::Export, u"kernel32.dll!GetDiskFreeSpaceExW"},
                                        std::pair{platform::win::FaultKind::Load, u"kernel32.dll"}}) {
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(kind, pattern);
        available = total = free = 9;
        EXPECT_FALSE(Setup::GetDiskFreeMegabytes(u"C:\\x", &available, &total, &free));
        EXPECT_EQ(available + total + free, 0u);
    }
}

}  // namespace
