// Installing, updating and uninstalling through the wizard from a gcab package; cancelling an
// install (Yes rolls it back, No lets it finish) and an uninstall (Yes restores the copy); the
// stop of a running host that uses the product's profile.
#include "install_fixture.h"
#include "platform/ui/afx_app.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/clock.h"
#include "platform/win/machine.h"
#include "platform/win/processes.h"
#include "platform/win/registry.h"
#include "setup/engine/setup_xml.h"
#include "setup/wizard/backdrop.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/setup_sheet.h"
#include "box_recorder.h"

namespace {

using installtest::ReadFile;
using installtest::U8;
using installtest::WriteFile;
using platform::ui::UiDriver;
namespace fs = std::filesystem;

const std::string kCommon = U8(u8"公共文件目录/");
const std::string kOwn = U8(u8"安装程序目录/");
// The uninstall's safe point after its files went to the recovery folder, before the registering.
constexpr unsigned kUninstallFilesGone = 240;

bool Logged(const std::string& gbk) {
    for (const auto& line : platform::ui::TranscriptLines())
        if (line.find(gbk) != std::string::npos) return true;
    return false;
}

Setup::CADVer Target() {
    Setup::CADVer d;
    d.cadFolder = u"C:\\Program Files\\AutoCAD 2010";
    d.cadRegistryKey = u"Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
    d.cadVersion = u"R18.0";
    d.cadProduct = u"AutoCAD 2010";
    d.profileName = u"Dero";
    d.product = u"Dero Pelgar";
    d.source = u"Pelgar";
    d.version = u"Dero 9";
    d.picture = u"1";
    d.fileNum = 2;
    return d;
}

class SheetInstallTest : public installtest::InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        platform::ui::SetApplicationResources(Setup::SetupResources());
        Setup::g_useHeader = 0;
        Setup::g_restartWizard = 0;
        Setup::g_programPath = u"C:\\Setup\\setup.exe";
        platform::ui::ClearTranscript();
        // The hosts of the engine's fixture, AutoCAD 2010 among them with its profiles.
        const enginetest::RunResult imported = enginetest::RunCommand(
            std::string(REGTOOL_PATH) + " --root " + Root() + " import " + DERO_SOURCE_DIR "/setup/engine/tests/fixtures/hosts.reg");
        ASSERT_EQ(imported.status, 0) << imported.out;
        MakePackage({{kCommon + "readme.txt", "new readme"}, {kOwn + "Pelgar/bin/a.arx", "new arx"}});
        WriteFile(C("Setup/setup.exe"), "setup program");
        WriteFile(C("Program Files/AutoCAD 2010/acad.exe"), "MZ");
    }
    void TearDown() override {
        Setup::g_programPath.clear();
        InstallTest::TearDown();
    }
    // Agrees, sets the folder and starts the install.
    static void Start(Setup::CSetUpSheet& sheet, UiDriver& d) {
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        UiDriver settings(sheet.settings.m_hWnd);
        settings.SetText(1001, "C:\\Dero");
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_EQ(d.Text(ID_WIZFINISH), "开始");
        ASSERT_TRUE(d.Click(ID_WIZFINISH));
    }
    // Installs the target into C:\Dero through the sheet and lets the run finish.
    void InstallThroughTheSheet() {
        Setup::CSetUpSheet sheet(u"安装向导");
        sheet.targets = {Target()};
        HANDLE worker = nullptr;
        queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
            platform::win::ParkWorkerAt(1, 1);
            Start(sheet, d);
            worker = platform::win::OpenParkedWorker(10000);
            ASSERT_TRUE(worker);
            ResumeThread(worker);
            EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "完成"));
            d.Click(IDCANCEL);
        }));
        ASSERT_EQ(sheet.DoModal(), IDCANCEL);
        // The worker tells the page it is done just before it ends: the next pass starts once
        // it has gone, as its last flags would otherwise land in that pass.
        ASSERT_TRUE(worker);
        EXPECT_EQ(WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
        CloseHandle(worker);
        ASSERT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");
        SetWorkFolderAside();
        Setup::InitSetupGlobals();  // as the start-up's next pass does
    }
    static Setup::CADVer InstalledCopy() {
        Setup::CADVer copy = Target();
        copy.installed = 1;
        copy.installFolder = u"C:\\Dero";
        return copy;
    }
    // The registry's hive files as they stand.
    std::map<std::string, std::string> Hives() const {
        std::map<std::string, std::string> hives;
        for (const auto& entry : fs::directory_iterator(Root() + "/registry"))
            hives[entry.path().filename().string()] = ReadFile(entry.path());
        return hives;
    }
};

TEST_F(SheetInstallTest, InstallRunsToTheEndAndClosingStartsTheHost) {
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets = {Target()};
    queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        Start(sheet, d);
        UiDriver page(sheet.progress.m_hWnd);
        // The finished message gives the Cancel button its text.
        EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "完成"));
        EXPECT_EQ(page.Text(1005), "完成");
        EXPECT_TRUE(page.IsVisible(1008));
        EXPECT_TRUE(page.IsVisible(1009));
        EXPECT_TRUE(UiDriver::Reachable(page.Item(1009)));
        page.Check(1008, true);
        page.Check(1009, true);
        d.Click(IDHELP);
        d.Click(IDCANCEL);
    }));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");
    EXPECT_EQ(ReadFile(C("Dero/bin/a.arx")), "new arx");
    EXPECT_EQ(Setup::g_productFolder, u"C:\\Dero");
    bool launched = false;
    for (const auto& event : platform::win::ReadEvents()) {
        std::string line = platform::text::Utf16ToUtf8(event);
        launched |= line.find("acad.exe") != std::string::npos && line.find("/p Dero") != std::string::npos;
    }
    EXPECT_TRUE(launched);
    // "增加到快速启动栏": the desktop link copied to Quick Launch and kept in both records.
    const std::string quickLaunch = C("Users/Surveyor/AppData/Microsoft/Internet Explorer/Quick Launch/Dero 9.lnk");
    ASSERT_TRUE(fs::exists(quickLaunch));
    EXPECT_EQ(ReadFile(quickLaunch), ReadFile(C("Users/Surveyor/Desktop/Dero 9.lnk")));
    const std::string recorded = "\"quicklaunch\"=\"C:\\\\Users\\\\Surveyor\\\\AppData\\\\Microsoft\\\\Internet Explorer\\\\Quick Launch\\\\Dero 9.lnk\"";
    EXPECT_NE(Dump("HKEY_CURRENT_USER").find(recorded), std::string::npos) << Dump("HKEY_CURRENT_USER");
    EXPECT_NE(Dump("HKEY_LOCAL_MACHINE").find(recorded), std::string::npos);
}

TEST_F(SheetInstallTest, CancelYesRollsBackAndNoLetsTheRunFinish) {
    const auto before = Files();
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        sheet.targets = {Target()};
        queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
            platform::win::ParkWorkerAt(1, 40);
            Start(sheet, d);
            ASSERT_TRUE(sheet.progress.worker);
            HANDLE worker = sheet.progress.worker->m_hThread;
            while (!platform::win::WaitUntilParked(worker, 1)) d.WaitFor(1);
            d.Click(IDCANCEL);  // asks; Yes
            UiDriver page(sheet.progress.m_hWnd);
            EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "退出"));
            EXPECT_EQ(page.Text(1005), "完成恢复");
            EXPECT_FALSE(page.IsVisible(1008));
            d.Click(IDCANCEL);
        }));
        queue_->Push(platform::ui::BoxAnswer(IDYES));
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    }
    auto after = Files();
    EXPECT_EQ(after, before);
    SetWorkFolderAside();
    {
        Setup::g_installBackups.Clear();
        Setup::CSetUpSheet sheet(u"安装向导");
        sheet.targets = {Target()};
        queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
            platform::win::ParkWorkerAt(1, 40);
            Start(sheet, d);
            ASSERT_TRUE(sheet.progress.worker);
            HANDLE worker = sheet.progress.worker->m_hThread;
            while (!platform::win::WaitUntilParked(worker, 1)) d.WaitFor(1);
            d.Click(IDCANCEL);  // asks; No
            ResumeThread(worker);  // the park of the test itself
            UiDriver page(sheet.progress.m_hWnd);
            EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "完成"));
            d.Click(IDCANCEL);
        }));
        queue_->Push(platform::ui::BoxAnswer(IDNO));
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    }
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");
}

void SetCurrentProfile(const std::u16string& profile) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles", 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(profile.c_str()),
                   static_cast<DWORD>((profile.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
}

bool Running(DWORD id) {
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id);
    if (p) CloseHandle(p);
    return p != nullptr;
}

// What the busy window shows while the page waits for a stopped host, seen from the clock the
// wait advances.
struct SeenWhileWaiting {
    std::atomic<bool> armed{false};
    std::atomic<bool> busyWindow{false};
    std::atomic<bool> topmost{false};
    std::atomic<bool> waitCursor{false};
};
SeenWhileWaiting g_seen;

BOOL LookForBusyWindow(HWND hwnd, LPARAM) {
    char16_t caption[32] = {};
    GetWindowTextW(hwnd, caption, 32);
    if (std::u16string(caption) != u"等待中" || !IsWindowVisible(hwnd)) return TRUE;
    g_seen.busyWindow = true;
    g_seen.topmost = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    return FALSE;
}

void OnClockMoved() {
    if (!g_seen.armed) return;
    EnumWindows(&LookForBusyWindow, 0);
    if (platform::ui::WaitCursorShown()) g_seen.waitCursor = true;
}

TEST_F(SheetInstallTest, ARunningHostWithTheProductsProfileStopsTheUserUntilItEnds) {
    static const bool observing = [] {
        platform::win::AddClockObserver(&OnClockMoved);
        return true;
    }();
    (void)observing;
    const DWORD host = platform::win::AddRunningProcess(u"C:\\Program Files\\AutoCAD 2010\\acad.exe",
                                                        {u"C:\\Program Files\\AutoCAD 2010\\acad.exe"});
    SetCurrentProfile(u"Other");
    auto boxes = wizardtest::RecordBoxes(queue_);
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets = {Target()};
    queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        d.WaitFor(100);
        // Another current profile: no question.
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        EXPECT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_TRUE(boxes->Boxes().empty());
        d.Click(ID_WIZBACK);
        SetCurrentProfile(u"dero");
        d.WaitFor(100);
        d.Click(ID_WIZNEXT);  // Cancel: stays
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        EXPECT_TRUE(Running(host));
        EXPECT_FALSE(platform::ui::WaitCursorShown());
        g_seen.armed = true;
        d.Click(ID_WIZNEXT);  // Try again, then Continue: the host is stopped
        g_seen.armed = false;
        EXPECT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_FALSE(Running(host));
        EXPECT_FALSE(platform::ui::WaitCursorShown());
        d.Click(IDCANCEL);
    }));
    queue_->Push(platform::ui::BoxAnswer(IDCANCEL));
    queue_->Push(platform::ui::BoxAnswer(IDTRYAGAIN));
    queue_->Push(platform::ui::BoxAnswer(IDCONTINUE));
    queue_->Push(platform::ui::BoxAnswer(IDYES));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    // Three questions while the host ran, each under the wait cursor, with the warning icon.
    const auto asked = boxes->Boxes();
    ASSERT_EQ(asked.size(), 4u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(asked[i].text.find("安装程序检测到 [C:\\Program Files\\AutoCAD 2010\\ACAD.EXE] 正在使用配置 [Dero]"),
                  std::string::npos);
        EXPECT_EQ(asked[i].type & MB_ICONMASK, MB_ICONWARNING);
        EXPECT_EQ(asked[i].type & MB_TYPEMASK, MB_CANCELTRYCONTINUE);
        EXPECT_TRUE(asked[i].waitCursor);
    }
    // The stop waited behind the topmost busy window, and the host's end is on record.
    EXPECT_TRUE(g_seen.busyWindow);
    EXPECT_TRUE(g_seen.topmost);
    EXPECT_TRUE(g_seen.waitCursor);
    bool terminated = false;
    for (const auto& event : platform::win::ReadEvents())
        terminated |= event.rfind(u"terminate " + platform::text::Utf8ToUtf16(std::to_string(host)) + u" ", 0) == 0;
    EXPECT_TRUE(terminated);
}

TEST_F(SheetInstallTest, UninstallStoppedEarlyAndCancelledLeavesTheCopy) {
    InstallThroughTheSheet();
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets.clear();
    sheet.installedCopies = {InstalledCopy()};
    queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_EQ(d.Text(ID_WIZFINISH), "卸载");
        EXPECT_TRUE(d.Exists(Setup::IDC_UPDATE_BUTTON));
        platform::win::ParkWorkerAt(1, 12);
        ASSERT_TRUE(d.Click(ID_WIZFINISH));
        ASSERT_TRUE(sheet.progress.worker);
        HANDLE worker = sheet.progress.worker->m_hThread;
        bool parked = false;
        for (int i = 0; i < 300 && !(parked = platform::win::WaitUntilParked(worker, 1)); ++i) d.WaitFor(1);
        ASSERT_TRUE(parked);
        d.Click(IDCANCEL);  // Yes: the restore
        EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "退出"));
        d.Click(IDCANCEL);
    }));
    queue_->Push(platform::ui::BoxAnswer(IDYES));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");
    EXPECT_EQ(ReadFile(C("Dero/bin/a.arx")), "new arx");
}

// Parked once the copy's files have gone to the recovery folder, before the registering step,
// and cancelled with Yes: the restore puts files and records back as they were.
TEST_F(SheetInstallTest, UninstallCancelledAfterItsFilesWentIsRestored) {
    InstallThroughTheSheet();
    const auto files = Files();
    const auto hives = Hives();
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets.clear();
    sheet.installedCopies = {InstalledCopy()};
    queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        platform::win::ParkWorkerAt(1, kUninstallFilesGone);
        ASSERT_TRUE(d.Click(ID_WIZFINISH));
        ASSERT_TRUE(sheet.progress.worker);
        HANDLE worker = sheet.progress.worker->m_hThread;
        bool parked = false;
        for (int i = 0; i < 3000 && !(parked = platform::win::WaitUntilParked(worker, 1)); ++i) d.WaitFor(1);
        ASSERT_TRUE(parked);
        // Where it stands: the files moved out, the registering not begun, Cancel still offered.
        EXPECT_FALSE(fs::exists(C("Dero/readme.txt")));
        EXPECT_FALSE(fs::exists(C("Dero/bin/a.arx")));
        EXPECT_FALSE(fs::exists(C("Dero/system/setup.exe")));
        EXPECT_TRUE(fs::exists(C("Temp/derorecovery")));
        EXPECT_TRUE(d.IsEnabled(IDCANCEL));
        EXPECT_FALSE(Logged("取消注册"));
        d.Click(IDHELP);
        d.Click(IDCANCEL);  // Yes: the restore
        UiDriver page(sheet.progress.m_hWnd);
        EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "退出"));
        EXPECT_EQ(page.Text(1005), "恢复完成");
        EXPECT_FALSE(page.IsVisible(1008));
        d.Click(IDHELP);
        d.Click(IDCANCEL);
    }));
    queue_->Push(platform::ui::BoxAnswer(IDOK));
    queue_->Push(platform::ui::BoxAnswer(IDYES));
    queue_->Push(platform::ui::BoxAnswer(IDOK));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(Hives(), hives);
    EXPECT_FALSE(fs::exists(C("Temp/derorecovery")));
    std::vector<std::string> help;
    for (const auto& line : platform::ui::TranscriptLines())
        if (line.find("请先完成卸载!") != std::string::npos || line.find("卸载成功!") != std::string::npos)
            help.push_back(line);
    ASSERT_EQ(help.size(), 2u);
    EXPECT_NE(help[0].find("请先完成卸载!"), std::string::npos);
    EXPECT_NE(help[1].find("卸载成功!"), std::string::npos);
}

// The update button over an installed copy: the copy takes the package's files; then the
// re-run button closes the sheet for the start-up to begin again.
TEST_F(SheetInstallTest, UpdateThroughTheSheetThenRerun) {
    InstallThroughTheSheet();
    MakePackage({{kCommon + "readme.txt", "newer readme"}, {kOwn + "Pelgar/bin/a.arx", "newer arx"}});
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets.clear();
    Setup::CADVer copy = InstalledCopy();
    copy.installFolder.clear();  // the recorded folder is the one updated
    sheet.installedCopies = {copy};
    queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_EQ(d.Text(ID_WIZFINISH), "卸载");
        EXPECT_EQ(d.Text(Setup::IDC_UPDATE_BUTTON), "更新");
        EXPECT_TRUE(d.IsVisible(Setup::IDC_UPDATE_BUTTON));
        // Back leaves the page: the update button goes with it, and comes back once.
        ASSERT_TRUE(d.Click(ID_WIZBACK));
        EXPECT_FALSE(d.IsVisible(Setup::IDC_UPDATE_BUTTON));
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        EXPECT_TRUE(d.IsVisible(Setup::IDC_UPDATE_BUTTON));
        platform::win::ParkWorkerAt(1, 1);
        ASSERT_TRUE(d.Click(Setup::IDC_UPDATE_BUTTON));
        EXPECT_FALSE(d.IsVisible(Setup::IDC_UPDATE_BUTTON));
        ASSERT_TRUE(sheet.progress.worker);
        HANDLE worker = sheet.progress.worker->m_hThread;
        bool parked = false;
        for (int i = 0; i < 300 && !(parked = platform::win::WaitUntilParked(worker, 1)); ++i) d.WaitFor(1);
        ASSERT_TRUE(parked);
        d.Click(IDHELP);
        EXPECT_EQ(Setup::g_workerMode, 1);
        ResumeThread(worker);
        UiDriver page(sheet.progress.m_hWnd);
        EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "更新成功"));
        EXPECT_EQ(Setup::g_workerDone, 1);
        EXPECT_TRUE(page.IsVisible(1008));
        EXPECT_TRUE(page.IsVisible(1009));
        ASSERT_TRUE(d.IsVisible(Setup::IDC_RERUN_BUTTON));
        EXPECT_EQ(d.Text(Setup::IDC_RERUN_BUTTON), "更新");
        EXPECT_TRUE(d.Click(Setup::IDC_RERUN_BUTTON));
    }));
    queue_->Push(platform::ui::BoxAnswer(IDOK));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(Setup::g_restartWizard, 1);
    Setup::g_restartWizard = 0;
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "newer readme");
    EXPECT_EQ(ReadFile(C("Dero/bin/a.arx")), "newer arx");
    EXPECT_TRUE(Logged("请先完成更新!"));
}

// The settings page builds its choices from the package's profiles and the hosts found: the
// copy whose uninstall entry names its product and profile is chosen over the first target.
TEST_F(SheetInstallTest, SettingsPageOffersTheDetectedHostsAndCopies) {
    for (const char* program : {"Program Files/AutoCAD 2009/acad.exe", "Program Files/AutoCAD Map 3D 2010/acad.exe",
                                "Program Files/ZWCAD 2009/zwcad.exe"})
        WriteFile(C(program), "MZ");
    WriteFile(C("Setup/setup.xml"), ReadFile(std::string(DERO_SOURCE_DIR) + "/setup/engine/tests/fixtures/hosts_setup.xml"));
    ASSERT_EQ(Setup::LoadSetupXml(), 1);
    Setup::CSetUpSheet sheet(u"安装向导");
    queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        UiDriver p(sheet.settings.m_hWnd);
        EXPECT_EQ(p.Text(Setup::kFirstTargetChoice), "安装 Dero 2009");
        EXPECT_EQ(p.Text(Setup::kFirstTargetChoice + 1), "安装 Dero Pelgar");
        EXPECT_EQ(p.Text(Setup::kFirstTargetChoice + 2), "安装 Dero Map");
        EXPECT_FALSE(p.Exists(Setup::kFirstTargetChoice + 3));
        EXPECT_EQ(p.Text(Setup::kFirstCopyChoice), "更新或卸载 Dero Survey");
        EXPECT_EQ(p.Text(Setup::kFirstCopyChoice + 1), "更新或卸载 Dero Mapper");
        EXPECT_FALSE(p.IsChecked(Setup::kFirstTargetChoice));
        EXPECT_TRUE(p.IsChecked(Setup::kFirstCopyChoice));
        EXPECT_FALSE(p.IsChecked(Setup::kFirstCopyChoice + 1));
        EXPECT_FALSE(p.IsVisible(1007));
        EXPECT_FALSE(p.IsEnabled(1001));
        EXPECT_EQ(p.Text(1012), "");
        // Choosing a target again: its folder below Program Files, and the space it needs.
        p.Click(Setup::kFirstTargetChoice + 1);
        EXPECT_TRUE(p.IsEnabled(1001));
        EXPECT_EQ(p.Text(1001), "C:\\Program Files\\Dero Pelgar");
        EXPECT_NE(p.Text(1012).find("安装需要 [120MB]"), std::string::npos);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        EXPECT_EQ(sheet.settings.choice.product, u"Dero Pelgar");
        EXPECT_EQ(sheet.settings.choice.cadFolder, u"C:\\Program Files\\AutoCAD 2010");
        EXPECT_EQ(sheet.installPath, u"C:\\Program Files\\Dero Pelgar");
        d.Click(IDCANCEL);
    }));
    queue_->Push(platform::ui::BoxAnswer(IDYES));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

// An uninstall let to run: the copy's files, its uninstall entry and shortcuts are gone, the page
// offers only the exit, and a program without its package beside it deletes itself on closing.
TEST_F(SheetInstallTest, UninstallRunsToTheEnd) {
    InstallThroughTheSheet();
    ASSERT_TRUE(fs::exists(C("Users/Surveyor/Desktop/Dero 9.lnk")));
    ASSERT_NE(Dump("HKEY_LOCAL_MACHINE").find("Uninstall\\Dero Pelgar]"), std::string::npos);
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets.clear();
    sheet.installedCopies = {InstalledCopy()};
    queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_TRUE(d.Click(ID_WIZFINISH));
        EXPECT_FALSE(d.Exists(ID_WIZFINISH));
        EXPECT_FALSE(d.IsVisible(Setup::IDC_UPDATE_BUTTON));
        EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "退出"));
        UiDriver page(sheet.progress.m_hWnd);
        EXPECT_EQ(page.Text(1005), "卸载完成");
        EXPECT_FALSE(page.IsVisible(1008));
        EXPECT_FALSE(page.IsVisible(1009));
        EXPECT_EQ(Setup::g_workerMode, -1);
        fs::remove(C("Setup/data.cab"));
        d.Click(IDCANCEL);
    }));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(sheet.selfDelete, 1);
    EXPECT_FALSE(fs::exists(C("Dero/readme.txt")));
    EXPECT_FALSE(fs::exists(C("Dero/bin/a.arx")));
    EXPECT_FALSE(fs::exists(C("Users/Surveyor/Desktop/Dero 9.lnk")));
    EXPECT_EQ(Dump("HKEY_LOCAL_MACHINE").find("Uninstall\\Dero Pelgar]"), std::string::npos);
}

}  // namespace
