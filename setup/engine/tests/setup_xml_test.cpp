// The package's setup.xml as the start-up reads it, and the installed copy the engine writes.
#include "setup/engine/setup_xml.h"

#include <thread>

#include "engine_fixture.h"
#include "platform/win/com.h"
#include "platform/win/folders.h"
#include "platform/win/registry.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/installed_products.h"

namespace {

using dero::testing::ReadFile;
using dero::testing::WriteFile;
using enginetest::EngineTest;

// Ten attributes, the required part of a profile; names do not matter, positions do.
std::string Profile(const std::string& product, const std::string& profileName, const std::string& title,
                    const std::string& more = "") {
    return "<profile p0=\"ZWCAD 2008\" p1=\"R16.2\" p2=\"" + product + "\" p3=\"" + profileName +
           "\" p4=\"dero.bmp\" p5=\"Quorvane\" p6=\"" + title + "\" p7=\"12\" p8=\"dero.ico\" p9=\"dero\"" + more +
           "/>";
}

// Positions 10 to 18 after the required ten.
std::string Optional(const std::string& relatedFile, const std::string& component, const std::string& version) {
    return " p10=\"{G}\" p11=\"{B}\" p12=\"" + relatedFile + "\" p13=\"pkg.ico\" p14=\"dpk\" p15=\"1\" p16=\"x\" p17=\"" +
           component + "\" p18=\"" + version + "\"";
}

class SetupXmlTest : public EngineTest {
protected:
    void Package(const std::string& body) { WriteFile(C("Setup/setup.xml"), body); }
    // An uninstall entry whose command is this test program, as an installed copy leaves it.
    void RegisterThisProgramForUninstall() {
        char16_t program[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dero",
                                  0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::u16string value(program);
        RegSetValueExW(key, u"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * 2));
        RegCloseKey(key);
    }
};

TEST_F(SetupXmlTest, ReadsProfilesByPositionAndSplitsOffComponentEntries) {
    Package("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<Root colour=\"7\" picture=\"a.bmp\" size=\"350\" header=\"0\" backdrop=\"0\" mode=\"1\">\n"
            "  <!-- a comment first: no profile sets the wizard title -->\n" +
            Profile("Dero", "DeroProfile", "\xe5\xae\x89\xe8\xa3\x85 Dero", Optional("a", "AB", "Dero 9")) + "\n" +
            Profile("Tiny", "TinyProfile", "T") + "\n" +                       // the required ten only
            Profile("Fonts", "", "F", Optional("", "ABC", "")) + "\n" +        // component entry
            "  <other p0=\"x\"/>\n" +
            "  <PROFILE" + Profile("Drivers", "", "D", Optional("", "C:\\Drivers", "")).substr(8) + "\n" +
            "</Root>\n");
    ASSERT_EQ(Setup::LoadSetupXml(), 1);

    EXPECT_EQ(Setup::g_backColor, 7);
    EXPECT_EQ(Setup::g_totalSize, 350);
    EXPECT_EQ(Setup::g_useHeader, 0);
    EXPECT_EQ(Setup::g_useBackground, 0);
    EXPECT_EQ(Setup::g_wizardMode, 1);
    EXPECT_EQ(Setup::g_wizardTitle, u"安装向导");

    ASSERT_EQ(Setup::g_packageProfiles.size(), 2u);
    const Setup::CADVer& full = Setup::g_packageProfiles[0];
    EXPECT_EQ(full.cadProduct, u"ZWCAD 2008");
    EXPECT_EQ(full.cadVersion, u"R16.2");
    EXPECT_EQ(full.product, u"Dero");
    EXPECT_EQ(full.profileName, u"DeroProfile");
    EXPECT_EQ(full.picture, u"dero.bmp");
    EXPECT_EQ(full.company, u"Quorvane");
    EXPECT_EQ(full.title, u"安装 Dero");
    EXPECT_EQ(full.fileNum, 12);
    EXPECT_EQ(full.iconFile, u"dero.ico");
    EXPECT_EQ(full.source, u"dero");
    EXPECT_EQ(full.guid, u"{G}");
    EXPECT_EQ(full.buildGuid, u"{B}");
    EXPECT_EQ(full.relatedFile, u"a");
    EXPECT_EQ(full.relatedIcon, u"pkg.ico");
    EXPECT_EQ(full.extName, u"dpk");
    EXPECT_EQ(full.restart, 1);
    EXPECT_EQ(full.componentTarget, u"AB");  // two characters: still an install profile
    EXPECT_EQ(full.version, u"Dero 9");
    EXPECT_EQ(full.fresh, 1);
    EXPECT_EQ(full.userName, u"SURVEY-PC");

    const Setup::CADVer& tiny = Setup::g_packageProfiles[1];
    EXPECT_EQ(tiny.guid, Setup::kProductGuid);
    EXPECT_EQ(tiny.buildGuid, Setup::kBuildGuid);
    EXPECT_EQ(tiny.version, u"Tiny");
    EXPECT_EQ(tiny.restart, 0);

    // Component entries stand in reverse document order; element names compare without case.
    ASSERT_EQ(Setup::g_componentEntries.size(), 2u);
    EXPECT_EQ(Setup::g_componentEntries[0].product, u"Drivers");
    EXPECT_EQ(Setup::g_componentEntries[0].componentTarget, u"C:\\Drivers");
    EXPECT_EQ(Setup::g_componentEntries[1].product, u"Fonts");
    EXPECT_EQ(Setup::g_componentEntries[1].fileNum, 12);

    // A profile as the first child names the wizard; missing settings keep their values.
    Setup::g_useHeader = 5;
    Package("<Root a=\"1\" b=\"x\" c=\"nonsense\">" + Profile("Dero", "P", "First") + Profile("X", "Q", "Second") +
            "</Root>");
    ASSERT_EQ(Setup::LoadSetupXml(), 1);
    EXPECT_EQ(Setup::g_wizardTitle, u"First");
    EXPECT_EQ(Setup::g_totalSize, 0);  // non-numeric text reads as 0
    EXPECT_EQ(Setup::g_useHeader, 5);
    EXPECT_EQ(Setup::g_packageProfiles.size(), 2u);
    EXPECT_TRUE(Setup::g_componentEntries.empty());
}

TEST_F(SetupXmlTest, SkipsWhatCannotBeInstalledAndFallsBackOnUnreadableFiles) {
    // Nine attributes; an empty product; a host profile without a profile name: all skipped. A
    // standalone product needs no host profile.
    Package("<Root a=\"1\" b=\"2\">"
            "<profile p0=\"A\" p1=\"B\" p2=\"C\" p3=\"D\" p4=\"E\" p5=\"F\" p6=\"G\" p7=\"1\" p8=\"I\"/>" +
            Profile("", "P", "T") + Profile("Host", "", "T") + Profile("Alone", "", "T", Optional("alone.exe", "", "")) +
            "</Root>");
    ASSERT_EQ(Setup::LoadSetupXml(), 1);
    ASSERT_EQ(Setup::g_packageProfiles.size(), 1u);
    EXPECT_EQ(Setup::g_packageProfiles[0].product, u"Alone");
    EXPECT_EQ(Setup::g_wizardTitle, u"安装向导");

    // Unreadable: a Root with one attribute, a malformed file, no file. Each empties the lists and
    // answers 0 unless this program has an uninstall entry.
    const std::string unreadable[] = {"<Root a=\"1\">" + Profile("Dero", "P", "T") + "</Root>",
                                      "<Root a=\"1\" b=\"2\">" + Profile("Dero", "P", "T"), ""};
    for (const std::string& body : unreadable) {
        if (body.empty())
            std::filesystem::remove(C("Setup/setup.xml"));
        else
            Package(body);
        EXPECT_EQ(Setup::LoadSetupXml(), 0) << body;
        EXPECT_TRUE(Setup::g_packageProfiles.empty());
    }
    RegisterThisProgramForUninstall();
    EXPECT_EQ(Setup::LoadSetupXml(), 1);
    Package("<Root a=\"1\"/>");
    EXPECT_EQ(Setup::LoadSetupXml(), 1);

    // Without an XML object nothing can be read, uninstall entry or not.
    platform::xml::FailDocumentCreation(true);
    EXPECT_EQ(Setup::LoadSetupXml(), 0);
}

TEST_F(SetupXmlTest, NamesLeavingTheirFoldersAndCountsOutOfRangeSkipTheProfile) {
    // All nineteen positions, with some replaced.
    const auto profile = [](std::vector<std::pair<int, std::string>> replaced) {
        std::string values[] = {"ZWCAD 2008", "R16.2", "Dero", "P", "dero.bmp", "Q", "T", "12", "dero.ico", "dero",
                                "{G}", "{B}", "", "pkg.ico", "dpk", "0", "x", "", ""};
        for (const auto& [position, value] : replaced) values[position] = value;
        std::string xml = "<profile";
        for (int i = 0; i < 19; ++i) xml += " p" + std::to_string(i) + "=\"" + values[i] + "\"";
        return xml + "/>";
    };
    struct Case {
        int position;
        std::string value;
        bool kept;
    };
    const Case cases[] = {
        // Names that become one path part: product, profile, source, program, shortcut name.
        {2, "..\\..\\Windows", false}, {2, "...", false}, {2, "C:Dero", false}, {3, "a\\b", false},
        {3, "..", false}, {9, "..\\..\\..\\..\\", false}, {9, "a/b", false}, {12, "..\\setup.exe", false},
        {18, "..\\..\\Desktop\\x", false}, {2, "Dero Co., Ltd.", true}, {12, "dero.exe", true}, {9, "", true},
        // Paths below the install or system folder.
        {8, "..\\dero.ico", false}, {8, "C:\\dero.ico", false}, {8, "\\dero.ico", false}, {8, "sys|tem\\a.ico", false},
        {8, "system\\\\dero.ico", false}, {13, "icons\\..\\..\\pkg.ico", false}, {8, "system\\dero.ico", true},
        {8, "system/dero.ico", true}, {8, "", true},
        // Counts of files: negative or beyond an int is refused; text that is no number counts 0.
        {7, "-1", false}, {7, "2147483648", false}, {7, "99999999999", false}, {7, "2147483647", true}, {7, "many", true},
    };
    for (const Case& c : cases) {
        Package("<Root a=\"1\" b=\"2\">" + profile({{c.position, c.value}}) + "</Root>");
        ASSERT_EQ(Setup::LoadSetupXml(), 1);
        EXPECT_EQ(Setup::g_packageProfiles.size(), c.kept ? 1u : 0u) << c.position << " " << c.value;
    }
    EXPECT_EQ(Setup::g_packageProfiles.at(0).fileNum, 0);

    // Component entries are held to the same rules.
    Package("<Root a=\"1\" b=\"2\">" + profile({{17, "C:\\Drivers"}, {9, ".."}}) +
            profile({{17, "C:\\Fonts"}, {7, "-5"}}) + profile({{17, "AutoCAD"}, {7, "2147483647"}}) + "</Root>");
    ASSERT_EQ(Setup::LoadSetupXml(), 1);
    ASSERT_EQ(Setup::g_componentEntries.size(), 1u);
    EXPECT_EQ(Setup::g_componentEntries[0].componentTarget, u"AutoCAD");
    EXPECT_EQ(Setup::g_componentEntries[0].fileNum, 2147483647);
}

TEST_F(SetupXmlTest, InstalledFileIsWellFormedAndGivesNoComponentEntriesBack) {
    Setup::InstallEngine engine;
    Setup::CADVer& d = engine.description;
    d.cadProduct = u"AutoCAD 2005";
    d.cadVersion = u"R16.1";
    d.product = u"Dero & Co";
    d.profileName = u"Dero";
    d.picture = u"120";
    d.company = u"Quorvane";
    d.title = u"\"Dero\" 安装";
    d.fileNum = 42;
    d.iconFile = u"dero.ico";
    d.source = u"dero";
    d.relatedFile = u"abc";
    d.relatedIcon = u"pkg.ico";
    d.restart = 1;
    d.installFolder = u"C:\\Program Files\\Dero";
    std::filesystem::create_directories(C("Program Files/Dero/system"));
    Setup::g_totalSize = 350;
    Setup::g_useHeader = 0;
    Setup::g_installedFiles = {u"C:\\Program Files\\Dero\\a.dll", u"C:\\Windows\\system32\\DERO.OCX",
                               u"C:\\Program Files\\Dero\\数据\\b.txt"};
    engine.registrationFiles = {u"c:\\windows\\SYSTEM32\\dero.ocx", u"C:\\Windows\\system32\\x.reg"};
    engine.WriteXmlInstallRecord();

    const std::string written = C("Program Files/Dero/system/setup.xml");
    ASSERT_TRUE(std::filesystem::exists(written));
    const auto lint = enginetest::RunCommand("xmllint --noout '" + written + "'");
    EXPECT_EQ(lint.status, 0) << lint.out;

    // An outside reader sees the attributes in the order the positions require.
    const auto etree = enginetest::RunCommand(
        "PYTHONIOENCODING=utf-8 /usr/bin/python3 -c \"import sys, xml.etree.ElementTree as E\n"
        "root = E.parse(sys.argv[1]).getroot()\n"
        "for e in [root] + list(root): print(e.tag, ' '.join(k + '=' + v for k, v in e.attrib.items()))\" '" +
        written + "'");
    ASSERT_EQ(etree.status, 0) << etree.out;
    const std::string time = "2026-03-04 05:06:07";
    EXPECT_EQ(etree.out,
              "Root backcolor=1 backimage=dero9.bmp totalsize=350 useheader=0 usebackground=1\n"
              "profile cadproduct=AutoCAD 2005 cadver=R16.1 product=Dero & Co profilename=Dero picture=120 "
              "company=Quorvane title=\"Dero\" \xe5\xae\x89\xe8\xa3\x85 filenum=42 deroico=dero.ico source=dero guid= "
              "buildguid= relatedfile=abc relatedicon=pkg.ico extname= restart=1\n"
              "insfile path=C:\\Program Files\\Dero\\a.dll time=" + time + " version=9.0\n"
              "regfile path=C:\\Windows\\system32\\DERO.OCX time=" + time + " version=9.0\n"
              "insfile path=C:\\Program Files\\Dero\\\xe6\x95\xb0\xe6\x8d\xae\\b.txt time=" + time + " version=9.0\n");
    const std::string text = ReadFile(written);
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!--install file,version 1.0-->\r\n", 0), 0u);

    // Read back as a package: one profile, no component entries, empty identifiers.
    std::filesystem::copy_file(written, C("Setup/setup.xml"), std::filesystem::copy_options::overwrite_existing);
    ASSERT_EQ(Setup::LoadSetupXml(), 1);
    EXPECT_TRUE(Setup::g_componentEntries.empty());
    ASSERT_EQ(Setup::g_packageProfiles.size(), 1u);
    EXPECT_EQ(Setup::g_packageProfiles[0].product, u"Dero & Co");
    EXPECT_EQ(Setup::g_packageProfiles[0].title, u"\"Dero\" 安装");
    EXPECT_EQ(Setup::g_packageProfiles[0].guid, u"");
    EXPECT_EQ(Setup::g_packageProfiles[0].version, u"Dero & Co");

    // A second write replaces the file; without an XML object nothing is written.
    Setup::g_installedFiles.clear();
    engine.WriteXmlInstallRecord();
    EXPECT_EQ(ReadFile(written).find("insfile"), std::string::npos);
    std::filesystem::remove(written);
    platform::xml::FailDocumentCreation(true);
    engine.WriteXmlInstallRecord();
    EXPECT_FALSE(std::filesystem::exists(written));
}

TEST_F(SetupXmlTest, ReadsOnAnyThreadAndLeavesItsComStateAsFound) {
    Package("<Root a=\"1\" b=\"x\">" + Profile("Dero", "P", "T") + "</Root>");
    // A thread that never initialised COM, one in the single-threaded and one in the
    // multithreaded model: each reads the file and keeps its own count of initialisations.
    for (const int model : {-1, static_cast<int>(COINIT_APARTMENTTHREADED), static_cast<int>(COINIT_MULTITHREADED)}) {
        int read = -1, before = -1, after = -1;
        std::thread worker([&] {
            if (model >= 0) CoInitializeEx(nullptr, static_cast<DWORD>(model));
            before = platform::win::ComInitializations();
            read = Setup::LoadSetupXml();
            after = platform::win::ComInitializations();
            if (model >= 0) CoUninitialize();
        });
        worker.join();
        EXPECT_EQ(read, 1) << model;
        EXPECT_EQ(after, before) << model;
        EXPECT_EQ(Setup::g_packageProfiles.size(), 1u) << model;
    }
}

TEST_F(SetupXmlTest, CutAndGarbledFilesNeverCrashTheReader) {
    const std::string whole =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!--install file,version 1.0-->\n"
        "<Root backcolor=\"1\" backimage=\"dero9.bmp\" totalsize=\"2147483648\" useheader=\"-1\" usebackground=\"1\">\n" +
        Profile("Dero", "P", "\xe5\xae\x89\xe8\xa3\x85", Optional("dero.exe1234", "ABC", "9")) + "\n" +
        Profile("Dero2", "P", "T", Optional("", "", "")) +
        "\n<insfile path=\"C:\\a\" time=\"t\" version=\"9.0\"/>\n</Root>\n";
    for (std::size_t cut = 0; cut <= whole.size(); cut += 61) {
        Package(whole.substr(0, cut));
        const int result = Setup::LoadSetupXml();
        EXPECT_TRUE(result == 0 || result == 1);
    }
    Package(whole);
    ASSERT_EQ(Setup::LoadSetupXml(), 1);
    EXPECT_EQ(Setup::g_totalSize, 2147483647);  // clamped, not wrapped
    EXPECT_EQ(Setup::g_useHeader, -1);

    // Bytes replaced at pseudo-random places, including bytes that are not UTF-8.
    unsigned seed = 12345;
    for (int round = 0; round < 200; ++round) {
        std::string garbled = whole;
        for (int k = 0; k < 4; ++k) {
            seed = seed * 1103515245u + 12345u;
            const std::size_t at = (seed >> 8) % garbled.size();
            seed = seed * 1103515245u + 12345u;
            garbled[at] = static_cast<char>(seed >> 16);
        }
        Package(garbled);
        const int result = Setup::LoadSetupXml();
        EXPECT_TRUE(result == 0 || result == 1);
        for (const auto& p : Setup::g_packageProfiles) EXPECT_FALSE(p.product.empty());
    }
}

}  // namespace
