// Installing and updating from a gcab package on a worker that reports to a recording page, and
// rolling back an update stopped at each of its safe points.
#include <climits>

#include "install_fixture.h"
#include "platform/win/fault_injection.h"
#include "platform/win/registry.h"
#include "platform/win/threads.h"
#include "setup/engine/disk_space.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/install_state.h"

namespace {

using installtest::kCommon;
using installtest::kFonts;
using installtest::kOwn;
using installtest::kRegistration;
using installtest::Line;
using installtest::Lines;
using installtest::ReadFile;
using installtest::WriteFile;
namespace fs = std::filesystem;

std::string P(const std::string& folder, const std::string& rest) { return folder + rest; }

Setup::CADVer Description(int files) {
    Setup::CADVer d;
    d.cadFolder = u"C:\\Program Files\\AutoCAD 2010";
    d.cadRegistryKey = u"Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
    d.cadVersion = u"R18.0";
    d.cadProduct = u"AutoCAD 2010";
    d.installFolder = u"C:\\Dero";
    d.profileName = u"Dero";
    d.product = u"Dero Pelgar";
    d.source = u"Pelgar";
    d.version = u"Dero 9";
    d.fileNum = files;
    return d;
}

Setup::CADVer Component(const char16_t* source, const char16_t* destination) {
    Setup::CADVer c;
    c.source = source;
    c.componentTarget = destination;
    c.fileNum = 1;
    return c;
}

struct Job {
    Setup::CADVer description;
    bool update = false;
};

DWORD RunJob(LPVOID parameter) {
    const Job& job = *static_cast<Job*>(parameter);
    Setup::InstallEngine engine;
    engine.programFolder = u"C:\\Setup";
    engine.programPath = u"C:\\Setup\\setup.exe";
    if (job.update)
        engine.RunUpdate(job.description);
    else
        engine.RunInstall(job.description);
    return 0;
}

unsigned g_spaceQueries = 0;
BOOL ShortOnce(LPCWSTR, PULARGE_INTEGER toCaller, PULARGE_INTEGER total, PULARGE_INTEGER free) {
    const ULONGLONG bytes = g_spaceQueries++ == 0 ? 0 : ULONGLONG{1} << 40;
    toCaller->QuadPart = total->QuadPart = free->QuadPart = bytes;
    return TRUE;
}
BOOL AlwaysShort(LPCWSTR, PULARGE_INTEGER toCaller, PULARGE_INTEGER total, PULARGE_INTEGER free) {
    toCaller->QuadPart = total->QuadPart = free->QuadPart = 0;
    return TRUE;
}

class InstallRunTest : public installtest::InstallTest {
protected:
    void TearDown() override {
        Setup::SetDiskFreeSpaceLookup(nullptr);
        InstallTest::TearDown();
    }
    void Run(const Setup::CADVer& d, bool update) {
        Job job{d, update};
        Setup::g_progressWindow = window_;
        OnWorker([&] { RunJob(&job); });
    }
    static bool HasText(UINT msg, const std::u16string& text) {
        return std::any_of(Lines().begin(), Lines().end(), [&](const Line& l) { return l.msg == msg && l.text == text; });
    }
    static bool KeyExists(HKEY hive, const char16_t* path) {
        HKEY key;
        if (RegOpenKeyExW(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
};

TEST_F(InstallRunTest, AnInstallCopiesRegistersAndRecordsEveryFile) {
    MakePackage({{P(kCommon, "readme.txt"), "new readme"},
                 {P(kOwn, "Pelgar/bin/a.arx"), "new arx"},
                 {P(kOwn, "Comp/dero.arx"), "component"},
                 {P(kOwn, "Rel/r.txt"), "relative"},
                 {P(kFonts, "new.ttf"), "new font"},
                 {P(kFonts, "sub/old.ttf"), "other font"},
                 {P(kRegistration, "x.dll"), ReadFile(DERO_TEST_COMPONENT)},
                 {P(kRegistration, "more/bad.dll"), ReadFile(DERO_FAILING_COMPONENT)},
                 {P(kRegistration, "a.reg"), "REGEDIT4"}});
    WriteFile(C("Setup/setup.exe"), "setup program");
    WriteFile(C("Dero/readme.txt"), "old readme");
    WriteFile(C("Windows/Fonts/old.ttf"), "installed font");
    Setup::g_componentEntries = {Component(u"Comp", u"autocad"), Component(u"Rel", u"Relative\\Dir")};
    MakeBackdrop();

    Run(Description(2), false);
    EXPECT_TRUE(BackdropAtTheBottom());
    const std::vector<Line> start = {{1690, 0, u"安装程序正在安装"},
                                     {1693, 2 + 3 + 2, u""},
                                     {1690, 0, u"请稍候，正在释放文件"},
                                     {1051, 0, u"准备解压..."},
                                     {1051, 0, u"成功解压所有文件"},
                                     {1691, 2, u"C:\\Dero\\readme.txt"},
                                     {1691, 3, u"C:\\Dero\\bin\\a.arx"},
                                     {1691, 3, u"C:\\Windows\\Fonts"}};
    ASSERT_GE(Lines().size(), start.size());
    EXPECT_EQ(std::vector<Line>(Lines().begin(), Lines().begin() + start.size()), start);
    EXPECT_EQ(Lines().back(), (Line{1694, 0, u"完成"}));
    EXPECT_EQ(Lines()[Lines().size() - 2], (Line{1691, 7, u"完成"}));
    EXPECT_EQ(Count(1694), 1);
    EXPECT_EQ(Count(1695), 1);
    EXPECT_EQ(Setup::g_progressWindow.load(), nullptr);

    // The files, the component in the host's folder, the relative component nowhere.
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");
    EXPECT_EQ(ReadFile(C("Dero/bin/a.arx")), "new arx");
    EXPECT_EQ(ReadFile(C("Program Files/AutoCAD 2010/dero.arx")), "component");
    EXPECT_TRUE(HasText(1691, u"Relative\\Dir 不是完整路径，组件未拷贝"));
    EXPECT_FALSE(fs::exists("Relative"));
    EXPECT_FALSE(fs::exists(C("Relative")));
    EXPECT_EQ(ReadFile(C("Dero/system/setup.exe")), "setup program");
    // A font already there is neither copied nor reported.
    EXPECT_EQ(ReadFile(C("Windows/Fonts/new.ttf")), "new font");
    EXPECT_EQ(ReadFile(C("Windows/Fonts/old.ttf")), "installed font");
    EXPECT_EQ(std::count(Lines().begin(), Lines().end(), Line{1691, 3, u"C:\\Windows\\Fonts"}), 1);

    // Registration: the component really registers, the failing one says so, the .reg is kept.
    EXPECT_TRUE(HasText(1690, u"C:\\Windows\\system32\\x.dll Registration Successful"));
    EXPECT_TRUE(HasText(1690, u"C:\\Windows\\system32\\bad.dllcall to DllRegisterServer failed"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u"CLSID\\{0D3E5C1A-7B21-4F0E-9A55-3C0FFEE00001}\\InprocServer32"));
    EXPECT_EQ(ReadFile(C("Windows/system32/a.reg")), "REGEDIT4");
    EXPECT_EQ(std::count_if(Lines().begin(), Lines().end(),
                            [](const Line& l) { return l.msg == 1690 && l.text.find(u"a.reg") != std::u16string::npos; }),
              0);

    // The installed setup.xml names every file the run wrote; the backups are gone.
    const std::string xml = ReadFile(C("Dero/system/setup.xml"));
    for (const char* path : {"<insfile path=\"C:\\Dero\\readme.txt\"", "<insfile path=\"C:\\Dero\\bin\\a.arx\"",
                             "<insfile path=\"C:\\Program Files\\AutoCAD 2010\\dero.arx\"",
                             "<regfile path=\"C:\\Windows\\system32\\x.dll\"", "<regfile path=\"C:\\Windows\\system32\\bad.dll\"",
                             "<regfile path=\"C:\\Windows\\system32\\a.reg\"", "<insfile path=\"C:\\Dero\\system\\setup.exe\""})
        EXPECT_NE(xml.find(path), std::string::npos) << path << "\n" << xml;
    EXPECT_FALSE(fs::exists(C("Temp/insrecovery")));
}

TEST_F(InstallRunTest, EarlyEndsSendOneLineAndTouchNothing) {
    // No package: one error line, no finished message.
    Run(Description(1), false);
    EXPECT_EQ(Lines(), (std::vector<Line>{{1692, 0, u"缺少数据文件"}}));
    Lines().clear();
    Run(Description(1), true);
    EXPECT_EQ(Lines(), (std::vector<Line>{{1692, 0, u"找不到数据文件"}}));

    // Short of space: Retry measures again and goes on without a second box; Cancel ends.
    // Enough data that a cabinet cut in half keeps its directory.
    std::string noise(40000, ' ');
    unsigned state = 7;
    for (char& c : noise) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
    MakePackage({{P(kCommon, "readme.txt"), "new readme"}, {P(kOwn, "Pelgar/a.arx"), "new arx"}, {P(kOwn, "Pelgar/z.bin"), noise}});
    WriteFile(C("Dero/readme.txt"), "old readme");
    Setup::g_totalSize = 50;
    Setup::SetDiskFreeSpaceLookup([]() -> Setup::GetDiskFreeSpaceExWProc { return &ShortOnce; });
    queue_->Push(platform::ui::BoxAnswer(IDRETRY));
    Lines().clear();
    Run(Description(3), true);
    EXPECT_EQ(g_spaceQueries, 2u);
    EXPECT_EQ(queue_->Pending(), 0u);
    EXPECT_EQ(Lines().back(), (Line{1694, 0, u"更新成功"}));
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");

    WriteFile(C("Dero/readme.txt"), "old readme");
    const auto installed = [this] {
        auto files = Files();
        files.erase("Setup/data.cab");
        return files;
    };
    const auto before = installed();
    Setup::SetDiskFreeSpaceLookup([]() -> Setup::GetDiskFreeSpaceExWProc { return &AlwaysShort; });
    queue_->Push(platform::ui::BoxAnswer(IDCANCEL));
    Lines().clear();
    Run(Description(2), false);
    ASSERT_GE(Lines().size(), 2u);
    EXPECT_EQ(Lines()[Lines().size() - 2], (Line{1691, 0, u"完成"}));
    EXPECT_EQ(Lines().back(), (Line{1694, 1, u"完成"}));
    EXPECT_EQ(installed(), before);
    Setup::SetDiskFreeSpaceLookup(nullptr);

    // A cabinet cut in half: the driver's error, no finished message, nothing copied.
    const std::string whole = ReadFile(C("Setup/data.cab"));
    WriteFile(C("Setup/data.cab"), whole.substr(0, whole.size() / 2));
    Lines().clear();
    Run(Description(2), true);
    EXPECT_EQ(Count(1052), 1);
    EXPECT_EQ(Count(1692), 0);
    EXPECT_EQ(Count(1694), 0);
    EXPECT_EQ(installed(), before);

    // A new file that cannot be copied leaves the original where it was.
    WriteFile(C("Setup/data.cab"), whole);
    platform::win::InjectFault(platform::win::FaultKind::Copy, u"C:\\Temp\\derosetup\\*readme.txt");
    Lines().clear();
    Run(Description(2), true);
    EXPECT_TRUE(HasText(1691, u"C:\\Dero\\readme.txt 安装失败"));
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "old readme");
    EXPECT_EQ(ReadFile(C("Dero/a.arx")), "new arx");
}

TEST_F(InstallRunTest, AWorkFolderFoundPreparedIsTakenApartAndNoLinkIsWrittenThrough) {
    MakePackage({{P(kCommon, "readme.txt"), "new readme"},
                 {P(kOwn, "Pelgar/bin/a.arx"), "new arx"},
                 {P(kOwn, "Pelgar/b.arx"), "b"},
                 {P(kFonts, "new.ttf"), "new font"},
                 {P(kRegistration, "a.reg"), "REGEDIT4"}});
    WriteFile(C("Setup/setup.exe"), "setup program");
    // Planted before the run: a file among the common files, the fonts folder as a link out of the
    // machine, a read-only leftover; the payload's agreement text at the top stays.
    const std::string work = C("Temp/derosetup/");
    WriteFile(work + P(kCommon, "support/planted.ini"), "planted");
    WriteFile(work + P(kOwn, "old/ro.txt"), "read-only");
    fs::permissions(work + P(kOwn, "old/ro.txt"), fs::perms::owner_read);
    WriteFile(work + "agreement.txt", "agreement");
    const std::string outside = Root() + "/outside", elsewhere = Root() + "/elsewhere";
    fs::create_directories(outside);
    fs::create_directories(elsewhere);
    fs::create_directory_symlink(outside, work + kFonts.substr(0, kFonts.size() - 1));
    // In the install folder a folder is a link elsewhere, in system32 a file is.
    fs::create_directories(C("Dero"));
    fs::create_directory_symlink(elsewhere, C("Dero/bin"));
    WriteFile(elsewhere + "/a.reg", "theirs");
    fs::create_symlink(elsewhere + "/a.reg", C("Windows/system32/a.reg"));
    // And counts that add up beyond an int.
    Setup::CADVer huge = Component(u"Comp", u"C:\\Comp");
    huge.fileNum = INT_MAX;
    Setup::g_componentEntries = {huge};

    Run(Description(INT_MAX), false);
    EXPECT_EQ(Lines().back(), (Line{1694, 0, u"完成"}));
    EXPECT_NE(std::find(Lines().begin(), Lines().end(), Line{1693, INT_MAX, u""}), Lines().end());
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");
    EXPECT_FALSE(fs::exists(C("Dero/support")));
    EXPECT_EQ(ReadFile(C("Windows/Fonts/new.ttf")), "new font");
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_TRUE(HasText(1691, u"C:\\Dero\\bin\\a.arx 安装失败"));
    EXPECT_TRUE(HasText(1691, u"C:\\Windows\\system32\\a.reg 已经存在!"));
    EXPECT_TRUE(fs::is_symlink(C("Windows/system32/a.reg")));
    EXPECT_EQ(ReadFile(elsewhere + "/a.reg"), "theirs");
    EXPECT_FALSE(fs::exists(elsewhere + "/a.arx"));
    EXPECT_EQ(ReadFile(C("Dero/b.arx")), "b");
    EXPECT_EQ(ReadFile(work + "agreement.txt"), "agreement");
    EXPECT_FALSE(fs::exists(work + P(kOwn, "old")));

    // The work folder itself a link: the link goes, and the package is extracted into a folder
    // of its own.
    Setup::g_componentEntries.clear();
    fs::remove_all(C("Temp/derosetup"));
    fs::create_directory_symlink(outside, C("Temp/derosetup"));
    Lines().clear();
    Run(Description(2), true);
    EXPECT_EQ(Lines().back(), (Line{1694, 0, u"更新成功"}));
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_FALSE(fs::is_symlink(C("Temp/derosetup")));

    // A work folder that cannot be taken apart: one error line, nothing extracted or installed.
    fs::remove_all(C("Dero"));
    WriteFile(work + P(kCommon, "support/planted.ini"), "planted");
    platform::win::InjectFault(platform::win::FaultKind::Delete, u"*\\planted.ini");
    Lines().clear();
    Run(Description(2), false);
    EXPECT_EQ(Lines().back(), (Line{1692, 0, u"无法清理临时目录 C:\\Temp\\derosetup，安装程序不能继续"}));
    EXPECT_EQ(Count(1051), 0);
    EXPECT_EQ(Count(1694), 0);
    EXPECT_FALSE(fs::exists(C("Dero")));
}

TEST_F(InstallRunTest, AnUpdateStoppedAtAnySafePointRollsBackToTheInstalledCopy) {
    MakePackage({{P(kCommon, "readme.txt"), "new readme"},
                 {P(kOwn, "Pelgar/bin/a.arx"), "new arx"},
                 {P(kOwn, "Pelgar/bin/added.arx"), "added"},
                 {P(kRegistration, "x.dll"), "new dll"}});
    WriteFile(C("Setup/setup.xml"), "<Root/>");
    const auto layOut = [this] {
        fs::remove_all(C("Dero"));
        fs::remove(C("Windows/system32/y.ocx"));
        WriteFile(C("Dero/readme.txt"), "old readme");
        WriteFile(C("Dero/bin/a.arx"), "old arx");
        WriteFile(C("Dero/user.dwg"), "the user's drawing");
        WriteFile(C("Windows/system32/x.dll"), "old dll");
    };
    layOut();
    const auto before = Files();

    Job job{Description(5), true};
    unsigned rolledBack = 0;
    bool sawBackups = false, passedNoReturn = false;
    for (unsigned n = 1; n < 5000 && !passedNoReturn && !HasFailure(); ++n) {
        layOut();
        SetWorkFolderAside();
        Lines().clear();
        Setup::g_progressWindow = window_;
        platform::win::ParkWorkerAt(1, n);
        const HANDLE worker = CreateThread(nullptr, 0, &RunJob, &job, 0, nullptr);
        ASSERT_NE(worker, nullptr);
        const bool parked = PumpUntilParked(worker);
        // From the registering message on, the page offers no cancel.
        passedNoReturn = !parked || Count(1695) > 0;
        if (parked) TerminateThread(worker, 1);
        CloseHandle(worker);
        if (passedNoReturn) break;
        sawBackups |= ReadFile(C("Temp/insrecovery/readme.txt")) == "old readme" &&
                      ReadFile(C("Temp/insrecovery/Windows/system32/x.dll")) == "old dll";

        Lines().clear();
        Setup::InstallEngine rollback;
        rollback.RollbackInstall();
        EXPECT_EQ(Files(), before) << "stopped at safe point " << n;
        EXPECT_FALSE(fs::exists(C("Temp/insrecovery"))) << n;
        ASSERT_GE(Lines().size(), 4u);
        EXPECT_EQ(Lines().front(), (Line{1695, 0, u"正在准备取消安装..."}));
        EXPECT_EQ(Lines().back(), (Line{1694, 1, u"完成恢复"}));
        if (n == 1) {
            EXPECT_EQ(Lines().size(), 4u);
        }
        // The restore lines count down from where the run stopped.
        for (std::size_t i = 2; i + 3 < Lines().size(); ++i) EXPECT_EQ(Lines()[i].wParam + 1, Lines()[i - 1].wParam) << n;
        ++rolledBack;
    }
    EXPECT_TRUE(passedNoReturn);
    EXPECT_TRUE(sawBackups);
    EXPECT_GT(rolledBack, 20u);
}

}  // namespace
