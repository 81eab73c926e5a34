// Installing through the wizard from a gcab package, and cancelling the run: Yes rolls it back,
// No lets it finish.
#include "install_fixture.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/machine.h"
#include "platform/win/processes.h"
#include "platform/win/registry.h"
#include "setup/wizard/backdrop.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/setup_sheet.h"

namespace {

using installtest::ReadFile;
using installtest::U8;
using installtest::WriteFile;
using platform::ui::UiDriver;
namespace fs = std::filesystem;

const std::string kCommon = U8(u8"公共文件目录/");
const std::string kOwn = U8(u8"安装程序目录/");

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

TEST_F(SheetInstallTest, ARunningHostWithTheProductsProfileStopsTheUserUntilItEnds) {
    const DWORD host = platform::win::AddRunningProcess(u"C:\\Program Files\\AutoCAD 2010\\acad.exe",
                                                        {u"C:\\Program Files\\AutoCAD 2010\\acad.exe"});
    SetCurrentProfile(u"Other");
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
        d.Click(ID_WIZBACK);
        SetCurrentProfile(u"dero");
        d.WaitFor(100);
        d.Click(ID_WIZNEXT);  // Cancel: stays
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        EXPECT_TRUE(Running(host));
        d.Click(ID_WIZNEXT);  // Continue: the host is stopped
        EXPECT_EQ(sheet.GetActiveIndex(), 2);
        EXPECT_FALSE(Running(host));
        d.Click(IDCANCEL);
    }));
    queue_->Push(platform::ui::BoxAnswer(IDCANCEL));
    queue_->Push(platform::ui::BoxAnswer(IDCONTINUE));
    queue_->Push(platform::ui::BoxAnswer(IDYES));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    bool asked = false;
    for (const auto& line : platform::ui::TranscriptLines())
        asked |= line.find("正在使用配置 [Dero]") != std::string::npos;
    EXPECT_TRUE(asked);
}

TEST_F(SheetInstallTest, UninstallStoppedEarlyAndCancelledLeavesTheCopy) {
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        sheet.targets = {Target()};
        queue_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
            Start(sheet, d);
            EXPECT_TRUE(d.WaitUntilText(IDCANCEL, "完成"));
            d.Click(IDCANCEL);
        }));
        ASSERT_EQ(sheet.DoModal(), IDCANCEL);
    }
    ASSERT_EQ(ReadFile(C("Dero/readme.txt")), "new readme");
    SetWorkFolderAside();
    const auto installed = Files();
    Setup::CADVer copy = Target();
    copy.installed = 1;
    copy.installFolder = u"C:\\Dero";
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets.clear();
    sheet.installedCopies = {copy};
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

}  // namespace
