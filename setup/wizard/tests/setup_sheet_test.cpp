// The setup wizard driven as a person would: which pages it holds, the agreement and settings
// pages, the progress page's handling of the workers' messages, the buttons after the work and
// what closing the sheet starts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/text/encoding.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/gdi.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_driver.h"
#include "platform/ui/window_api.h"
#include "platform/win/machine.h"
#include "platform/win/root.h"
#include "setup/cabinet/progress_messages.h"
#include "setup/engine/disk_space.h"
#include "setup/engine/install_state.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/restart_state.h"
#include "setup/wizard/setup_sheet.h"
#include "setup/wizard/backdrop.h"
#include "testing/files.h"
#include "testing/temp_folder.h"
#include "box_recorder.h"

namespace {

using platform::ui::UiDriver;

ULONGLONG g_freeBytes = 0;
BOOL FixedSpace(LPCWSTR, PULARGE_INTEGER toCaller, PULARGE_INTEGER total, PULARGE_INTEGER free) {
    toCaller->QuadPart = total->QuadPart = free->QuadPart = g_freeBytes;
    return TRUE;
}
Setup::GetDiskFreeSpaceExWProc FixedLookup() { return &FixedSpace; }

Setup::CADVer Target() {
    Setup::CADVer d;
    d.product = u"Dero Pelgar";
    d.profileName = u"Dero";
    d.cadFolder = u"C:\\Program Files\\AutoCAD 2010";
    d.cadProduct = u"AutoCAD 2010";
    d.picture = u"120";
    return d;
}

class SetupSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::win::SetRoot(folder_.path());
        std::filesystem::create_directories(folder_.path() + "/c/Setup");
        platform::ui::SetApplicationResources(Setup::SetupResources());
        Setup::g_programPath = u"C:\\Setup\\setup.exe";
        Setup::InitSetupGlobals();
        Setup::g_useHeader = 0;
        Setup::g_restartWizard = 0;
        Setup::SetDiskFreeSpaceLookup(&FixedLookup);
        g_freeBytes = 1000ull * 1048576;  // 1001 MB available
        answers_ = platform::ui::UseAnswerQueue();
        platform::ui::ClearTranscript();
    }
    void TearDown() override {
        Setup::SetDiskFreeSpaceLookup(nullptr);
        Setup::g_programFolder.clear();
        Setup::g_programPath.clear();
        Setup::g_useHeader = 1;
        Setup::g_progressWindow.store(nullptr);
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetRoot("");
    }
    void Package() { dero::testing::WriteFile(folder_.path() + "/c/Setup/data.cab", "MSCF"); }
    static bool Logged(const std::string& gbk) {
        for (const auto& line : platform::ui::TranscriptLines())
            if (line.find(gbk) != std::string::npos) return true;
        return false;
    }
    dero::testing::TempFolder folder_{"sheet"};
    std::shared_ptr<platform::ui::AnswerQueue> answers_;
};

TEST_F(SetupSheetTest, PagesFollowThePackageAndAPendingRestart) {
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        EXPECT_EQ(sheet.GetPageCount(), 2);  // settings and progress: no package, no agreement
        EXPECT_EQ(sheet.GetPage(0), &sheet.settings);
    }
    Package();
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        ASSERT_EQ(sheet.GetPageCount(), 3);
        EXPECT_EQ(sheet.GetPage(0), &sheet.agreement);
    }
    // With the header pictures: the welcome page first, bitmaps 143 and 144 without picture files.
    Setup::g_useHeader = 1;
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        ASSERT_EQ(sheet.GetPageCount(), 4);
        EXPECT_EQ(sheet.GetPage(0), &sheet.welcome);
        platform::ui::BitmapInfo info;
        ASSERT_TRUE(platform::ui::GetBitmapInfo(sheet.m_psh.hbmWatermark, info));
        EXPECT_EQ(info.name, "#143");
        ASSERT_TRUE(platform::ui::GetBitmapInfo(sheet.m_psh.hbmHeader, info));
        EXPECT_EQ(info.name, "#144");
    }
    Setup::g_useHeader = 0;
    dero::testing::WriteFile(folder_.path() + "/c/Setup/restart.def", "x");
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        ASSERT_EQ(sheet.GetPageCount(), 1);
        EXPECT_EQ(sheet.GetPage(0), &sheet.progress);
    }
}

TEST_F(SetupSheetTest, AgreementAndSettingsPages) {
    Package();
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets = {Target()};
    Setup::CADVer copy = Target();
    copy.installed = 1;
    copy.product = u"Dero Old";
    sheet.installedCopies = {copy};
    answers_->Push(platform::ui::DialogAnswer(Setup::IDD_AGREEMENT, [&](UiDriver& d) {
        d.WaitFor(100);
        EXPECT_FALSE(d.IsEnabled(ID_WIZNEXT));
        d.Check(1002, true);
        d.WaitFor(100);
        EXPECT_TRUE(d.IsEnabled(ID_WIZNEXT));
        d.Check(1003, true);
        d.WaitFor(100);
        EXPECT_FALSE(d.IsEnabled(ID_WIZNEXT));
        d.Check(1002, true);
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        EXPECT_EQ(sheet.GetActiveIndex(), 1);
        UiDriver p(sheet.settings.m_hWnd);  // ids repeat across pages
        // The first target is chosen; 1001 MB reads in GB.
        EXPECT_TRUE(p.IsChecked(Setup::kFirstTargetChoice));
        EXPECT_EQ(p.Text(1012), "空余磁盘空间 [1GB],安装需要 [120MB]");
        EXPECT_EQ(p.Text(1001), "C:\\Program Files\\Dero Pelgar");
        g_freeBytes = 999ull * 1048576;  // 1000 MB
        p.SetText(1001, "D:\\Dero");
        EXPECT_EQ(p.Text(1012), "空余磁盘空间 [1000MB],安装需要 [120MB]");
        g_freeBytes = 99ull * 1048576;
        p.SetText(1001, "D:\\Dero2");
        EXPECT_EQ(p.Text(1012), "空余磁盘空间 [100MB],安装需要 [120MB],磁盘空间不足");
        // An installed copy: path controls off, no space line.
        p.Click(Setup::kFirstCopyChoice);
        EXPECT_FALSE(p.IsEnabled(1009));
        EXPECT_FALSE(p.IsEnabled(1001));
        EXPECT_FALSE(p.IsEnabled(1004));
        EXPECT_EQ(p.Text(1012), "");
        d.Click(IDHELP);
        EXPECT_TRUE(Logged("选择安装版本和路径!"));
        // The agreement shown again with "不同意" checked: Next stays off, also once the posted
        // buttons have arrived.
        CheckRadioButton(sheet.agreement.m_hWnd, 1002, 1003, 1003);
        d.Click(ID_WIZBACK);
        EXPECT_EQ(sheet.GetActiveIndex(), 0);
        d.WaitFor(100);
        EXPECT_FALSE(d.IsEnabled(ID_WIZNEXT));
        d.Check(1002, true);
        EXPECT_TRUE(d.IsEnabled(ID_WIZNEXT));
        d.Check(1003, true);
        d.WaitFor(100);
        EXPECT_FALSE(d.IsEnabled(ID_WIZNEXT));
        d.Click(IDHELP);
        EXPECT_TRUE(Logged("请认真阅读该协议"));
        d.Click(IDCANCEL);
    }));
    answers_->Push(platform::ui::BoxAnswer(IDOK));
    answers_->Push(platform::ui::BoxAnswer(IDOK));
    answers_->Push(platform::ui::BoxAnswer(IDYES));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(sheet.settings.choice.product, u"Dero Old");
}

TEST_F(SetupSheetTest, NoChoicesStopTheUser) {
    Setup::CSetUpSheet sheet(u"安装向导");
    answers_->Push(platform::ui::DialogAnswer(Setup::IDD_SETTINGS, [&](UiDriver& d) {
        d.WaitFor(100);
        EXPECT_EQ(d.Text(1007), "安装环境不满足要求!");
        EXPECT_TRUE(d.IsVisible(1007));
        EXPECT_FALSE(d.IsEnabled(ID_WIZNEXT));
        d.Click(IDCANCEL);
    }));
    answers_->Push(platform::ui::BoxAnswer(IDYES));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

TEST_F(SetupSheetTest, ProgressPageActsOnTheWorkersMessages) {
    dero::testing::WriteFile(folder_.path() + "/c/Program Files/AutoCAD 2010/acad.exe", "MZ");
    dero::testing::WriteFile(folder_.path() + "/c/Program Files/Dero Pelgar/system/dero.chm", "help");
    auto boxes = wizardtest::RecordBoxes(answers_);
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets = {Target()};
    CWinThread running;  // stands for the worker the errors come from
    answers_->Push(platform::ui::DialogAnswer(Setup::IDD_SETTINGS, [&](UiDriver& d) {
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        ASSERT_EQ(sheet.GetActiveIndex(), 1);
        EXPECT_EQ(d.Text(ID_WIZFINISH), "开始");
        UiDriver p(sheet.progress.m_hWnd);  // ids repeat across pages
        EXPECT_FALSE(p.IsVisible(1008));
        HWND page = sheet.progress.m_hWnd;
        auto send = [&](UINT msg, WPARAM w, const char16_t* text) {
            SendMessageW(page, msg, w, reinterpret_cast<LPARAM>(text ? Setup::DuplicateWideString(text) : nullptr));
        };
        auto position = [&] { return SendDlgItemMessageA(page, 1000, PBM_GETPOS, 0, 0); };
        auto details = [&] { return SendDlgItemMessageA(page, 1011, LB_GETCOUNT, 0, 0); };
        // The range takes the low words only.
        SendMessageW(page, Setup::WM_SETUP_RANGE, MAKELONG(100, 7), MAKELONG(3, 9));
        PBRANGE range{};
        SendDlgItemMessageA(page, 1000, PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(range.iLow, 3);
        EXPECT_EQ(range.iHigh, 100);
        send(Setup::WM_SETUP_POSITION, 5, u"复制 a.dll");
        EXPECT_EQ(p.Text(1005), "复制 a.dll");
        EXPECT_EQ(position(), 5);
        EXPECT_EQ(details(), 1);
        send(Setup::WM_SETUP_POSITION, 100, nullptr);  // at the upper bound: unmoved
        EXPECT_EQ(p.Text(1005), "正在安装...");
        EXPECT_EQ(position(), 5);
        EXPECT_EQ(details(), 1);
        send(Setup::WM_SETUP_POSITION, 2, u"复制 b.dll");  // below the lower bound: unmoved
        EXPECT_EQ(p.Text(1005), "复制 b.dll");
        EXPECT_EQ(position(), 5);
        send(Setup::WM_SETUP_STATUS, 0, u"正在检查...");
        EXPECT_EQ(p.Text(1005), "正在检查...");
        EXPECT_EQ(details(), 3);
        send(Setup::WM_SETUP_STATUS, 0, nullptr);
        EXPECT_EQ(p.Text(1005), "");
        send(Setup::WM_CAB_INFO, 0, u"cabinet line");
        EXPECT_EQ(p.Text(1005), "");
        EXPECT_EQ(details(), 3);
        EXPECT_EQ(position(), 5);

        // Errors: a details line, a box with the stop icon, and the worker forgotten.
        for (UINT error : {Setup::WM_SETUP_ERROR, Setup::WM_CAB_ERROR}) {
            sheet.progress.worker = &running;
            send(error, 0, error == Setup::WM_CAB_ERROR ? u"包已损坏" : u"无法复制 a.dll");
            EXPECT_EQ(sheet.progress.worker, nullptr);
        }
        EXPECT_EQ(details(), 5);
        ASSERT_TRUE(boxes->Find("无法复制 a.dll"));
        EXPECT_EQ(boxes->Find("无法复制 a.dll")->type & MB_ICONMASK, MB_ICONSTOP);
        ASSERT_TRUE(boxes->Find("包已损坏"));
        EXPECT_EQ(boxes->Find("包已损坏")->type & MB_ICONMASK, MB_ICONSTOP);
        d.Click(IDHELP);
        EXPECT_TRUE(Logged("请先完成安装!"));

        // A long run: the list keeps its newest line among the rows it shows.
        for (int i = 0; i < 40; ++i) send(Setup::WM_SETUP_POSITION, 10 + i, u"复制 c.dll");
        const LRESULT top = SendDlgItemMessageA(page, 1011, LB_GETTOPINDEX, 0, 0);
        EXPECT_LE(top, details() - 1);
        EXPECT_GT(top, details() - 8);  // the list is a few rows tall

        send(Setup::WM_SETUP_REGISTERING, 0, u"注册");
        EXPECT_FALSE(d.IsEnabled(IDCANCEL));
        send(Setup::WM_SETUP_FINISHED, 0, u"安装完成");
        EXPECT_EQ(d.Text(IDCANCEL), "安装完成");
        EXPECT_TRUE(d.IsEnabled(IDCANCEL));
        EXPECT_EQ(p.Text(1005), "安装完成");
        EXPECT_EQ(position(), 100);
        EXPECT_EQ(sheet.finished, 1);
        EXPECT_EQ(Setup::g_workerDone, 1);
        EXPECT_TRUE(p.IsVisible(1008));
        EXPECT_TRUE(p.IsVisible(1009));
        EXPECT_FALSE(p.IsChecked(1008));
        EXPECT_EQ(p.Text(1009), "立即运行");
        EXPECT_FALSE(d.IsVisible(ID_WIZBACK));
        EXPECT_TRUE(d.IsVisible(Setup::IDC_RERUN_BUTTON));
        EXPECT_EQ(d.Text(Setup::IDC_RERUN_BUTTON), "更新");
        p.Click(1004);
        EXPECT_TRUE(p.IsVisible(1011));
        EXPECT_EQ(p.Text(1004), "隐藏详细信息");
        p.Click(1004);
        EXPECT_FALSE(p.IsVisible(1011));
        EXPECT_EQ(p.Text(1004), "显示详细信息");
        d.Click(IDHELP);  // done: the product's help file opens
        p.Check(1009, true);
        d.Click(IDCANCEL);
    }));
    answers_->Push(platform::ui::BoxAnswer(IDOK));
    answers_->Push(platform::ui::BoxAnswer(IDOK));
    answers_->Push(platform::ui::BoxAnswer(IDOK));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    bool launched = false, help = false;
    for (const auto& event : platform::win::ReadEvents()) {
        std::string line = platform::text::Utf16ToUtf8(event);
        if (line.find("acad.exe") != std::string::npos && line.find("/p Dero") != std::string::npos) launched = true;
        help |= line.find("Dero Pelgar\\system\\dero.chm") != std::string::npos;
    }
    EXPECT_TRUE(launched);
    EXPECT_TRUE(help);
}

TEST_F(SetupSheetTest, StandaloneProductRunsItselfAndAnUndoneRunOffersOnlyTheExit) {
    dero::testing::WriteFile(folder_.path() + "/c/Dero/pelgar.exe", "MZ");
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        Setup::CADVer target = Target();
        target.relatedFile = u"pelgar.exe";
        sheet.targets = {target};
        answers_->Push(platform::ui::DialogAnswer(Setup::IDD_SETTINGS, [&](UiDriver& d) {
            d.WaitFor(100);
            UiDriver(sheet.settings.m_hWnd).SetText(1001, "C:\\Dero");
            ASSERT_TRUE(d.Click(ID_WIZNEXT));
            UiDriver p(sheet.progress.m_hWnd);
            SendMessageW(sheet.progress.m_hWnd, Setup::WM_SETUP_FINISHED, 0,
                         reinterpret_cast<LPARAM>(Setup::DuplicateWideString(u"完成")));
            EXPECT_TRUE(d.Exists(Setup::IDC_RERUN_BUTTON));
            EXPECT_FALSE(d.IsVisible(Setup::IDC_RERUN_BUTTON));
            EXPECT_EQ(p.Text(1009), "运行Dero");
            p.Check(1009, true);
            d.Click(IDCANCEL);
        }));
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    }
    bool ran = false;
    for (const auto& event : platform::win::ReadEvents()) {
        std::string line = platform::text::Utf16ToUtf8(event);
        ran |= line.find("pelgar.exe") != std::string::npos && line.find("acad.exe") == std::string::npos;
    }
    EXPECT_TRUE(ran);

    // A ZWCAD host is started by its own program, with the product's profile.
    dero::testing::WriteFile(folder_.path() + "/c/Program Files/ZWCAD 2009/zwcad.exe", "MZ");
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        Setup::CADVer target = Target();
        target.cadProduct = u"zwcad 2009";
        target.cadFolder = u"C:\\Program Files\\ZWCAD 2009";
        sheet.targets = {target};
        answers_->Push(platform::ui::DialogAnswer(Setup::IDD_SETTINGS, [&](UiDriver& d) {
            d.WaitFor(100);
            ASSERT_TRUE(d.Click(ID_WIZNEXT));
            SendMessageW(sheet.progress.m_hWnd, Setup::WM_SETUP_FINISHED, 0,
                         reinterpret_cast<LPARAM>(Setup::DuplicateWideString(u"完成")));
            UiDriver(sheet.progress.m_hWnd).Check(1009, true);
            d.Click(IDCANCEL);
        }));
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    }
    bool zwcad = false;
    for (const auto& event : platform::win::ReadEvents()) {
        std::string line = platform::text::Utf16ToUtf8(event);
        zwcad |= line.find("ZWCAD 2009\\zwcad.exe") != std::string::npos && line.find("/p Dero") != std::string::npos;
    }
    EXPECT_TRUE(zwcad);

    // Nothing done (or undone): only the exit, no offers.
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets = {Target()};
    answers_->Push(platform::ui::DialogAnswer(Setup::IDD_SETTINGS, [&](UiDriver& d) {
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        UiDriver p(sheet.progress.m_hWnd);
        SendMessageW(sheet.progress.m_hWnd, Setup::WM_SETUP_FINISHED, 1,
                     reinterpret_cast<LPARAM>(Setup::DuplicateWideString(u"完成恢复")));
        EXPECT_EQ(d.Text(IDCANCEL), "退出");
        EXPECT_EQ(p.Text(1005), "完成恢复");
        EXPECT_FALSE(p.IsVisible(1008));
        EXPECT_FALSE(p.IsVisible(1009));
        EXPECT_EQ(sheet.selfDelete, 1);
        d.Click(IDCANCEL);
    }));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

TEST_F(SetupSheetTest, AfterTheRegisteringStepClosingWaitsForTheEnd) {
    Setup::CSetUpSheet sheet(u"安装向导");
    sheet.targets = {Target()};
    CWinThread running;  // stands for the worker between its registering step and its end
    answers_->Push(platform::ui::DialogAnswer(Setup::IDD_SETTINGS, [&](UiDriver& d) {
        d.WaitFor(100);
        ASSERT_TRUE(d.Click(ID_WIZNEXT));
        HWND page = sheet.progress.m_hWnd;
        sheet.progress.worker = &running;
        SendMessageW(page, Setup::WM_SETUP_REGISTERING, 0, reinterpret_cast<LPARAM>(Setup::DuplicateWideString(u"x")));
        SendMessageA(sheet.m_hWnd, WM_CLOSE, 0, 0);
        SendMessageA(sheet.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(IsWindow(sheet.m_hWnd));
        EXPECT_FALSE(Logged("确定要退出安装吗"));
        SendMessageW(page, Setup::WM_SETUP_FINISHED, 0, reinterpret_cast<LPARAM>(Setup::DuplicateWideString(u"完成")));
        EXPECT_EQ(sheet.progress.worker, nullptr);
        d.Click(IDCANCEL);
    }));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
}

TEST_F(SetupSheetTest, ARestartIsHandedOverAndResumedOnTheProgressPage) {
    {
        Setup::CSetUpSheet sheet(u"安装向导");
        Setup::CADVer target = Target();
        target.restart = 1;
        target.fresh = 0;
        sheet.targets = {target};
        answers_->Push(platform::ui::DialogAnswer(Setup::IDD_SETTINGS, [&](UiDriver& d) {
            d.WaitFor(100);
            UiDriver(sheet.settings.m_hWnd).SetText(1001, "C:\\Dero");
            ASSERT_TRUE(d.Click(ID_WIZNEXT));
            SendMessageW(sheet.progress.m_hWnd, Setup::WM_SETUP_FINISHED, 0,
                         reinterpret_cast<LPARAM>(Setup::DuplicateWideString(u"完成")));
            EXPECT_FALSE(d.IsVisible(Setup::IDC_RERUN_BUTTON));
            EXPECT_FALSE(UiDriver(sheet.progress.m_hWnd).IsVisible(1008));
            d.Click(IDCANCEL);
        }));
        answers_->Push(platform::ui::BoxAnswer(IDCANCEL));  // restart later
        EXPECT_EQ(sheet.DoModal(), IDCANCEL);
        EXPECT_TRUE(Logged("需要重启机器以完成安装"));
    }
    const std::string file = folder_.path() + "/c/Setup/restart.def";
    EXPECT_EQ(dero::testing::ReadFile(file), platform::text::Utf16ToGbk(u"重启\r\n0\r\nDero Pelgar\r\nC:\\Dero\r\n\r\n"));
    EXPECT_EQ(Setup::g_deleteWorkFolder, 0);
    EXPECT_TRUE(Setup::ReadRunOnceEntry());  // the next start after the restart resumes
    Setup::g_deleteWorkFolder = 1;

    // The next start: only the progress page, finished, and the file is gone.
    dero::testing::WriteFile(file, platform::text::Utf16ToGbk(u"重启\r\n 0 \r\n  Dero Pelgar \r\nC:\\Dero\r\n\r\nC:\\x.lnk"));
    Setup::CSetUpSheet sheet(u"安装向导");
    ASSERT_EQ(sheet.GetPageCount(), 1);
    answers_->Push(platform::ui::DialogAnswer(Setup::IDD_PROGRESS, [&](UiDriver& d) {
        UiDriver page(sheet.progress.m_hWnd);
        EXPECT_EQ(page.Text(1005), "卸载完成");
        EXPECT_EQ(d.Text(IDCANCEL), "退出");
        EXPECT_FALSE(d.Exists(ID_WIZFINISH));
        d.Click(IDCANCEL);
    }));
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(sheet.settings.choice.product, u"Dero Pelgar");
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
