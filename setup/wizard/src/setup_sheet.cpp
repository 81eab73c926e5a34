#include "setup/wizard/setup_sheet.h"

#include <array>

#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/afx_app.h"
#include "platform/ui/afx_controls.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/folder_browser.h"
#include "platform/ui/gdi.h"
#include "platform/ui/icons.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"
#include "platform/win/crt_files.h"
#include "platform/win/files.h"
#include "platform/win/processes.h"
#include "platform/win/registry.h"
#include "platform/win/threads.h"
#include "setup/cabinet/progress_messages.h"
#include "setup/engine/disk_space.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/host_detection.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/installed_products.h"
#include "setup/engine/shortcuts.h"
#include "setup/wizard/backdrop.h"
#include "setup/wizard/busy_window.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/page_support.h"
#include "setup/wizard/restart_state.h"
#include "shell_launch.h"

namespace Setup {
namespace {

constexpr int kBack = ID_WIZBACK;
constexpr int kNext = ID_WIZNEXT;
constexpr int kFinish = ID_WIZFINISH;
constexpr UINT_PTR kPageTimer = 1;

std::string Gbk(std::u16string_view text) { return platform::text::Utf16ToGbk(text); }
std::u16string Wide(std::string_view gbk) { return platform::text::GbkToUtf16(gbk); }

using page::SetButtons;
using page::SheetItem;
using page::TakeText;

bool FileExists(const std::u16string& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void AddResources() {
    static const bool added = [] {
        using platform::ui::Control;
        using platform::ui::ControlKind;
        HINSTANCE m = SetupResources();
        platform::ui::DialogTemplate welcome =
            page::PageDialog(IDD_WELCOME, 193, {Control(1017, ControlKind::Static, "", 115, 20, 190, 40)});
        platform::ui::AddDialog(m, welcome);

        platform::ui::DialogTemplate agreement = page::PageDialog(
            IDD_AGREEMENT, 143,
            {Control(1017, ControlKind::Static, "安装之前请先阅读下面的安装协议", 7, 2, 300, 10),
             Control(1001, ControlKind::Edit, "", 7, 14, 303, 100, ES_MULTILINE | ES_READONLY),
             Control(1002, ControlKind::RadioButton, "同意", 7, 120, 60, 10),
             Control(1003, ControlKind::RadioButton, "不同意", 80, 120, 60, 10)});
        platform::ui::AddDialog(m, agreement);

        platform::ui::DialogTemplate settings =
            page::PageDialog(IDD_SETTINGS, 143,
                             {Control(1007, ControlKind::Static, "", 7, 7, 300, 12),
                              Control(1009, ControlKind::Static, "请选择安装路径...", 7, 100, 200, 10),
                              Control(1001, ControlKind::Edit, "", 7, 112, 240, 14),
                              Control(1004, ControlKind::PushButton, "浏览...", 255, 112, 55, 14),
                              Control(1012, ControlKind::Static, "", 7, 130, 300, 10)});
        platform::ui::AddDialog(m, settings);

        platform::ui::DialogTemplate progress =
            page::PageDialog(IDD_PROGRESS, 143,
                             {Control(1005, ControlKind::Static, "请单击开始按钮进行安装", 7, 7, 300, 10),
                              Control(1000, ControlKind::Progress, "", 7, 20, 303, 12),
                              Control(1008, ControlKind::CheckBox, "增加到快速启动栏", 7, 40, 150, 10),
                              Control(1009, ControlKind::CheckBox, "立即运行", 7, 54, 150, 10),
                              Control(1004, ControlKind::PushButton, "显示详细信息", 240, 38, 70, 14),
                              Control(1011, ControlKind::ListBox, "", 7, 70, 303, 70)});
        progress.controls[2].hidden = true;
        progress.controls[3].hidden = true;
        progress.controls[5].hidden = true;
        platform::ui::AddDialog(m, progress);
        return true;
    }();
    (void)added;
}

}  // namespace

// Welcome.

BOOL CWelcomePage::OnSetActive() {
    SetButtons(this, PSWIZB_NEXT);
    ::ShowWindow(SheetItem(this, kBack), SW_HIDE);
    ::SetWindowTextW(GetParent()->m_hWnd, g_wizardTitle.c_str());
    std::u16string text = platform::text::Format(std::u16string_view(u"欢迎使用 %s ,单击 \"下一步\" 以开始"), g_wizardTitle);
    ::SetDlgItemTextW(m_hWnd, 1017, text.c_str());
    return CPropertyPage::OnSetActive();
}

// Agreement.

BEGIN_MESSAGE_MAP(CBeginPage, CPropertyPage)
ON_WM_TIMER()
ON_BN_CLICKED(1002, OnAgree)
ON_BN_CLICKED(1003, OnDisagree)
END_MESSAGE_MAP()

BOOL CBeginPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    ::CheckRadioButton(m_hWnd, 1002, 1003, 1003);
    HWND sheet = GetParent()->m_hWnd;
    ::SetDlgItemTextA(sheet, kBack, "上一步");
    ::SetDlgItemTextA(sheet, kNext, "下一步");
    ::SetDlgItemTextA(sheet, kFinish, "完成");
    std::string text;
    if (platform::win::FILE* file = platform::win::_wfopen(g_agreementPath.c_str(), u"rb")) {
        std::array<char, 256> line{};
        while (platform::win::fgets(line.data(), static_cast<int>(line.size()), file)) text += line.data();
        platform::win::fclose(file);
    }
    ::SetDlgItemTextA(m_hWnd, 1001, text.c_str());
    return TRUE;
}

void CBeginPage::EnableNext(bool on) { ::EnableWindow(SheetItem(this, kNext), on ? TRUE : FALSE); }

BOOL CBeginPage::OnSetActive() {
    BOOL shown = CPropertyPage::OnSetActive();
    if (g_useHeader == 1) {
        SetButtons(this, PSWIZB_BACK | PSWIZB_NEXT);
        ::ShowWindow(SheetItem(this, kBack), SW_SHOW);
    } else {
        SetButtons(this, PSWIZB_NEXT);
        ::ShowWindow(SheetItem(this, kBack), SW_HIDE);
    }
    // The buttons are posted: the timer settles Next once they have arrived.
    EnableNext(::IsDlgButtonChecked(m_hWnd, 1002) == BST_CHECKED);
    ::SetFocus(::GetDlgItem(m_hWnd, 1002));
    ::SetWindowTextW(GetParent()->m_hWnd, g_wizardTitle.c_str());
    ::SetTimer(m_hWnd, kPageTimer, 50, nullptr);
    return shown;
}

BOOL CBeginPage::OnKillActive() {
    ::KillTimer(m_hWnd, kPageTimer);
    return CPropertyPage::OnKillActive();
}

void CBeginPage::OnTimer(UINT_PTR) { EnableNext(::IsDlgButtonChecked(m_hWnd, 1003) != BST_CHECKED); }
void CBeginPage::OnAgree() { EnableNext(::IsDlgButtonChecked(m_hWnd, 1002) == BST_CHECKED); }
void CBeginPage::OnDisagree() { EnableNext(::IsDlgButtonChecked(m_hWnd, 1003) != BST_CHECKED); }

// Settings.

BEGIN_MESSAGE_MAP(CSetingPage, CPropertyPage)
ON_COMMAND_RANGE(kFirstTargetChoice, 200, OnChoice)
ON_BN_CLICKED(1004, OnBrowse)
ON_EN_CHANGE(1001, OnPathChanged)
ON_WM_TIMER()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSetUpSheet* CSetingPage::Sheet() const { return static_cast<CSetUpSheet*>(GetSheet()); }

BOOL CSetingPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    Sheet()->ReadHosts();
    installPath = u"C:\\Program Files\\Dero90";
    BuildChoices();
    ::SetWindowTextW(GetParent()->m_hWnd, g_wizardTitle.c_str());
    return TRUE;
}

const CADVer* CSetingPage::DescriptionOf(int id) const {
    CSetUpSheet* sheet = Sheet();
    if (id >= kFirstCopyChoice) {
        auto i = static_cast<std::size_t>(id - kFirstCopyChoice);
        return i < sheet->installedCopies.size() ? &sheet->installedCopies[i] : nullptr;
    }
    auto i = static_cast<std::size_t>(id - kFirstTargetChoice);
    return i < sheet->targets.size() ? &sheet->targets[i] : nullptr;
}

void CSetingPage::BuildChoices() {
    for (HWND b : buttons_) ::DestroyWindow(b);
    buttons_.clear();
    RECT place{};
    HWND anchor = ::GetDlgItem(m_hWnd, 1007);
    ::GetWindowRect(anchor, &place);
    POINT origin{place.left, place.top};
    ::ScreenToClient(m_hWnd, &origin);
    int height = place.bottom - place.top;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(GetParent()->m_hWnd, WM_GETFONT, 0, 0));
    auto add = [&](int id, const std::u16string& text) {
        HWND b = ::CreateWindowExW(0, u"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON, origin.x,
                                   origin.y + height * static_cast<int>(buttons_.size()), place.right - place.left,
                                   height, m_hWnd, reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr,
                                   nullptr);
        ::SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        buttons_.push_back(b);
    };
    CSetUpSheet* sheet = Sheet();
    for (std::size_t i = 0; i < sheet->targets.size(); ++i)
        add(kFirstTargetChoice + static_cast<int>(i), u"安装 " + sheet->targets[i].product);
    for (std::size_t i = 0; i < sheet->installedCopies.size(); ++i)
        add(kFirstCopyChoice + static_cast<int>(i), u"更新或卸载 " + sheet->installedCopies[i].product);
    bool checked = false;
    if (!sheet->targets.empty()) {
        ::CheckDlgButton(m_hWnd, kFirstTargetChoice, BST_CHECKED);
        checked = true;
        OnChoice(kFirstTargetChoice);
    }
    int defaultCopy = -1;
    for (std::size_t i = 0; i < sheet->installedCopies.size(); ++i) {
        const CADVer& copy = sheet->installedCopies[i];
        int id = kFirstCopyChoice + static_cast<int>(i);
        CADVer entry;
        entry.product = copy.product;
        if (ReadUninstallEntry(entry) &&
            platform::text::GbkToUpper(Gbk(copy.product)) == platform::text::GbkToUpper(Gbk(entry.product)) &&
            platform::text::GbkToUpper(Gbk(copy.profileName)) == platform::text::GbkToUpper(Gbk(entry.profileName))) {
            if (defaultCopy >= 0) ::CheckDlgButton(m_hWnd, defaultCopy, BST_UNCHECKED);
            if (checked) ::CheckDlgButton(m_hWnd, kFirstTargetChoice, BST_UNCHECKED);
            ::CheckDlgButton(m_hWnd, id, BST_CHECKED);
            checked = true;
            OnChoice(static_cast<UINT>(id));
        } else if (!checked) {
            ::CheckDlgButton(m_hWnd, id, BST_CHECKED);
            defaultCopy = id;
            checked = true;
            OnChoice(static_cast<UINT>(id));
        }
    }
    if (!checked) {
        ::SetWindowTextA(anchor, "安装环境不满足要求!");
        ::ShowWindow(anchor, SW_SHOW);
    } else {
        ::ShowWindow(anchor, SW_HIDE);
    }
}

void CSetingPage::OnChoice(UINT id) {
    BOOL install = id < static_cast<UINT>(kFirstCopyChoice);
    for (int control : {1009, 1001, 1004}) ::EnableWindow(::GetDlgItem(m_hWnd, control), install);
    for (HWND b : buttons_) {
        if (::SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            if (const CADVer* d = DescriptionOf(::GetDlgCtrlID(b))) choice = *d;
            break;
        }
    }
    installPath = detail::ProgramFilesFolder() + u"\\" + choice.product;
    ::SetDlgItemTextW(m_hWnd, 1001, installPath.c_str());
    Sheet()->installPath = installPath;
    RenewFreeSpace();
}

void CSetingPage::OnBrowse() {
    std::array<char16_t, 260> name{};
    BROWSEINFOW info{};
    info.hwndOwner = m_hWnd;
    info.pszDisplayName = name.data();
    info.lpszTitle = u"选择安装路径";
    info.ulFlags = 5;
    if (LPITEMIDLIST item = SHBrowseForFolderW(&info)) {
        std::array<char16_t, 260> path{};
        if (SHGetPathFromIDListW(item, path.data())) {
            installPath = path.data();
            ::SetDlgItemTextW(m_hWnd, 1001, installPath.c_str());
        }
        CoTaskMemFree(item);
    }
    RenewFreeSpace();
}

void CSetingPage::OnPathChanged() {
    std::array<char16_t, 260> path{};
    ::GetDlgItemTextW(m_hWnd, 1001, path.data(), static_cast<int>(path.size()));
    installPath = path.data();
    RenewFreeSpace();
}

void CSetingPage::RenewFreeSpace() {
    std::uint64_t available = 0, total = 0, free = 0;
    GetDiskFreeMegabytes(installPath, &available, &total, &free);
    freeMegabytes = static_cast<int>(std::min<std::uint64_t>(available, 0x7FFFFFFF));
    std::u16string line;
    if (choice.installed == 0) {
        std::string size = Gbk(choice.picture);
        long needed = std::strtol(size.c_str(), nullptr, 10);
        if (freeMegabytes >= 1001)
            line = Wide(platform::text::Format("空余磁盘空间 [%dGB],安装需要 [%sMB]", freeMegabytes / 1000, size));
        else if (needed < freeMegabytes)
            line = Wide(platform::text::Format("空余磁盘空间 [%dMB],安装需要 [%sMB]", freeMegabytes, size));
        else
            line = Wide(platform::text::Format("空余磁盘空间 [%dMB],安装需要 [%sMB],磁盘空间不足", freeMegabytes, size));
    }
    ::SetDlgItemTextW(m_hWnd, 1012, line.c_str());
}

BOOL CSetingPage::OnSetActive() {
    BOOL shown = CPropertyPage::OnSetActive();
    SetButtons(this, PSWIZB_BACK | PSWIZB_NEXT);
    ::ShowWindow(SheetItem(this, kBack), SW_SHOW);
    ::SetWindowTextW(GetParent()->m_hWnd, g_wizardTitle.c_str());
    ::SetTimer(m_hWnd, kPageTimer, 50, nullptr);
    RenewFreeSpace();
    return shown;
}

void CSetingPage::OnTimer(UINT_PTR) {
    std::array<char16_t, 260> path{};
    ::GetDlgItemTextW(m_hWnd, 1001, path.data(), static_cast<int>(path.size()));
    installPath = path.data();
    bool any = !Sheet()->targets.empty() || !Sheet()->installedCopies.empty();
    ::EnableWindow(SheetItem(this, kNext), any ? TRUE : FALSE);
}

BOOL CSetingPage::OnKillActive() {
    ::KillTimer(m_hWnd, kPageTimer);
    std::array<char16_t, 260> path{};
    ::GetDlgItemTextW(m_hWnd, 1001, path.data(), static_cast<int>(path.size()));
    installPath = path.data();
    Sheet()->installPath = installPath;
    for (HWND b : buttons_) {
        if (::SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            if (const CADVer* d = DescriptionOf(::GetDlgCtrlID(b))) {
                choice = *d;
                choice.installFolder = installPath;
            }
        }
    }
    if (!RunningHostCheck()) return FALSE;
    return CPropertyPage::OnKillActive();
}

namespace {

std::string Upper(std::u16string_view text) { return platform::text::GbkToUpper(Gbk(text)); }

// The running process whose modules include the host's program in the host's folder, or 0.
DWORD FindRunningHost(const std::string& exe, const std::u16string& hostFolder) {
    HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (processes == INVALID_HANDLE_VALUE || processes == nullptr) return 0;
    DWORD found = 0;
    PROCESSENTRY32W process{};
    process.dwSize = sizeof process;
    for (BOOL more = Process32FirstW(processes, &process); more && !found; more = Process32NextW(processes, &process)) {
        HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process.th32ProcessID);
        if (modules == INVALID_HANDLE_VALUE || modules == nullptr) continue;
        MODULEENTRY32W module{};
        module.dwSize = sizeof module;
        for (BOOL m = Module32FirstW(modules, &module); m; m = Module32NextW(modules, &module)) {
            std::u16string path = module.szExePath;
            auto slash = path.rfind(u'\\');
            std::u16string folder = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
            if (Upper(path).find(exe) != std::string::npos && Upper(folder) == Upper(hostFolder)) {
                found = process.th32ProcessID;
                break;
            }
        }
        CloseHandle(modules);
    }
    CloseHandle(processes);
    return found;
}

}  // namespace

bool CSetingPage::RunningHostCheck() {
    CWaitCursor wait;
    const std::string exe = Upper(choice.cadVersion).find("ZWCAD") != std::string::npos ? "ZWCAD.EXE" : "ACAD.EXE";
    for (;;) {
        DWORD host = FindRunningHost(exe, choice.cadFolder);
        if (host == 0) return true;
        HKEY key = nullptr;
        std::u16string profiles = choice.cadRegistryKey + u"\\Profiles";
        if (RegOpenKeyExW(HKEY_CURRENT_USER, profiles.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
        std::array<char16_t, 257> current{};
        DWORD size = 512;
        LONG read = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(current.data()), &size);
        RegCloseKey(key);
        if (read != ERROR_SUCCESS || Upper(current.data()) != Upper(choice.profileName)) return true;
        std::string question = platform::text::Format(
            "安装程序检测到 [%s\\%s] 正在使用配置 [%s]，建议先保存并关闭再重试 [%s].\n也可以选择继续安装 [%s]!",
            Gbk(choice.cadFolder), exe, Gbk(choice.profileName), exe, exe);
        int answer = ::MessageBoxA(m_hWnd, question.c_str(), "", MB_CANCELTRYCONTINUE | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer == IDTRYAGAIN) continue;
        if (answer != IDCONTINUE) return false;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, host)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
        BusyWindow busy(false, true);
        std::u16string text = Wide(platform::text::Format("\n正在停止 [%s]. 请等待...", exe));
        busy.ShowBusyWindow(u"等待中", text.c_str());
        Sleep(5000);
        busy.CloseBusyWindow();
    }
}

void CSetingPage::OnDestroy() {
    for (HWND b : buttons_) ::DestroyWindow(b);
    buttons_.clear();
    CPropertyPage::OnDestroy();
}

// Progress.

BEGIN_MESSAGE_MAP(CSetUpPage, CPropertyPage)
ON_MESSAGE(WM_SETUP_STATUS, OnStatus)
ON_MESSAGE(WM_SETUP_POSITION, OnPosition)
ON_MESSAGE(WM_SETUP_ERROR, OnError)
ON_MESSAGE(WM_CAB_ERROR, OnError)
ON_MESSAGE(WM_SETUP_RANGE, OnRange)
ON_MESSAGE(WM_SETUP_FINISHED, OnFinished)
ON_MESSAGE(WM_SETUP_REGISTERING, OnRegistering)
ON_MESSAGE(WM_CAB_INFO, OnCabinetInfo)
ON_BN_CLICKED(1004, OnDetails)
ON_BN_CLICKED(IDC_UPDATE_BUTTON, OnUpdate)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSetUpSheet* CSetUpPage::Sheet() const { return static_cast<CSetUpSheet*>(GetSheet()); }

void CSetUpPage::AddDetail(const std::u16string& text) {
    std::string gbk = Gbk(text);
    LRESULT line = ::SendDlgItemMessageA(m_hWnd, 1011, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gbk.c_str()));
    // The newest line stays in sight while the work goes on.
    if (line >= 0) ::SendDlgItemMessageA(m_hWnd, 1011, LB_SETTOPINDEX, static_cast<WPARAM>(line), 0);
}

BOOL CSetUpPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    ::SendDlgItemMessageA(m_hWnd, 1000, PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
    if (Sheet()->restartPending) {
        resumed = true;
        ReadRestartState(Sheet()->settings.choice);
        HWND finish = SheetItem(this, kFinish);
        ::GetWindowRect(finish, &finishRect);
        ::DestroyWindow(finish);
        ::ShowWindow(SheetItem(this, kBack), SW_HIDE);
        Finished(Sheet()->settings.choice.fresh == 0 ? 1 : 0, u"卸载完成");
        DeleteRestartState();
    }
    return TRUE;
}

BOOL CSetUpPage::OnSetActive() {
    BOOL shown = CPropertyPage::OnSetActive();
    if (resumed) {
        SetButtons(this, PSWIZB_FINISH);
        return shown;
    }
    SetButtons(this, PSWIZB_BACK | PSWIZB_FINISH);
    Sheet()->finished = 0;
    HWND back = SheetItem(this, kBack);
    ::ShowWindow(back, SW_SHOW);
    HWND finish = SheetItem(this, kFinish);
    ::GetWindowRect(finish, &finishRect);
    ::ShowWindow(finish, SW_SHOW);
    const CADVer& choice = Sheet()->settings.choice;
    if (choice.installed == 0) {
        ::SetWindowTextA(finish, "开始");
        if (updateButton) ::ShowWindow(updateButton, SW_HIDE);
    } else {
        ::SetWindowTextA(finish, "卸载");
        if (Sheet()->hasPackage) {
            RECT r{};
            ::GetWindowRect(back, &r);
            POINT p{r.left, r.top};
            ::ScreenToClient(GetParent()->m_hWnd, &p);
            if (!updateButton) {
                updateButton = ::CreateWindowExA(0, "BUTTON", "更新", WS_CHILD | WS_VISIBLE, p.x, p.y,
                                                 r.right - r.left, r.bottom - r.top, GetParent()->m_hWnd,
                                                 reinterpret_cast<HMENU>(static_cast<std::intptr_t>(IDC_UPDATE_BUTTON)),
                                                 nullptr, nullptr);
            } else {
                ::ShowWindow(updateButton, SW_SHOW);
            }
            ::MoveWindow(back, p.x - (r.right - r.left) - 30, p.y, r.right - r.left, r.bottom - r.top, TRUE);
        }
    }
    ::ShowWindow(::GetDlgItem(m_hWnd, 1008), SW_HIDE);
    ::ShowWindow(::GetDlgItem(m_hWnd, 1009), SW_HIDE);
    ::SetWindowTextW(GetParent()->m_hWnd, g_wizardTitle.c_str());
    return shown;
}

BOOL CSetUpPage::OnKillActive() {
    if (updateButton) ::ShowWindow(updateButton, SW_HIDE);
    return CPropertyPage::OnKillActive();
}

BOOL CSetUpPage::OnWizardFinish() {
    if (busy) return FALSE;
    busy = true;
    SetButtons(this, PSWIZB_BACK | PSWIZB_FINISH);
    ::ShowWindow(SheetItem(this, kBack), SW_HIDE);
    CSetUpSheet* sheet = Sheet();
    const CADVer& choice = sheet->settings.choice;
    if (sheet->finished) return FALSE;
    if (choice.installed == 0) {
        ::DestroyWindow(SheetItem(this, kFinish));
        g_progressWindow.store(m_hWnd);
        g_chosenDescription = choice;
        g_workerMode = 0;
        worker = workers.Start(&SetupWorkerProc, this);
        sheet->selfDelete = 0;
        g_productFolder = choice.installFolder;
    } else {
        g_progressWindow.store(m_hWnd);
        g_chosenDescription = choice;
        if (updateButton) ::ShowWindow(updateButton, SW_HIDE);
        g_workerMode = -1;
        ::DestroyWindow(SheetItem(this, kFinish));
        worker = workers.Start(&UninstallWorkerProc, this);
        sheet->selfDelete = 1;
    }
    return FALSE;
}

void CSetUpPage::OnUpdate() {
    if (updating) return;
    updating = true;
    SetButtons(this, PSWIZB_BACK | PSWIZB_FINISH);
    ::ShowWindow(SheetItem(this, kBack), SW_SHOW);
    ::ShowWindow(updateButton, SW_HIDE);
    InstallInfo record;
    record.description = Sheet()->settings.choice;
    record.product = record.description.product;
    record.LoadOrRemoveInstallRecord(1);
    if (record.installFolder.empty()) {
        ::MessageBoxA(m_hWnd, "获取安装目录失败!", "", MB_OK);
        return;
    }
    HWND finish = SheetItem(this, kFinish);
    ::GetWindowRect(finish, &finishRect);
    ::MoveWindow(SheetItem(this, kBack), 0, 0, 0, 0, TRUE);
    ::MoveWindow(finish, 0, 0, 0, 0, TRUE);
    g_progressWindow.store(m_hWnd);
    g_chosenDescription = Sheet()->settings.choice;
    g_chosenDescription.installFolder = record.installFolder;
    g_workerMode = 1;
    worker = workers.Start(&SetupWorkerProc, nullptr);
}

LRESULT CSetUpPage::OnStatus(WPARAM, LPARAM lParam) {
    bool none = false;
    std::u16string text = TakeText(lParam, &none);
    ::SetDlgItemTextW(m_hWnd, 1005, text.c_str());
    if (!none) AddDetail(text);
    return 0;
}

LRESULT CSetUpPage::OnPosition(WPARAM wParam, LPARAM lParam) {
    bool none = false;
    std::u16string text = TakeText(lParam, &none);
    if (page::ShowPositionLine(m_hWnd, text, none)) AddDetail(text);
    page::MoveProgressBar(m_hWnd, wParam, lower, upper);
    return 0;
}

LRESULT CSetUpPage::OnError(WPARAM, LPARAM lParam) {
    std::u16string text = TakeText(lParam);
    AddDetail(text);
    ::MessageBoxW(m_hWnd, text.c_str(), g_wizardTitle.c_str(), MB_OK | MB_ICONSTOP);
    worker = nullptr;
    return 0;
}

LRESULT CSetUpPage::OnRange(WPARAM wParam, LPARAM lParam) {
    page::SetProgressRange(m_hWnd, wParam, lParam, &lower, &upper);
    return 0;
}

LRESULT CSetUpPage::OnRegistering(WPARAM, LPARAM lParam) {
    TakeText(lParam);
    ::EnableWindow(SheetItem(this, IDCANCEL), FALSE);
    return 0;
}

LRESULT CSetUpPage::OnCabinetInfo(WPARAM, LPARAM lParam) {
    TakeText(lParam);
    return 0;
}

LRESULT CSetUpPage::OnFinished(WPARAM wParam, LPARAM lParam) {
    Finished(wParam, TakeText(lParam));
    return 0;
}

void CSetUpPage::Finished(WPARAM code, std::u16string text) {
    CSetUpSheet* sheet = Sheet();
    worker = nullptr;
    g_workerDone = 1;
    SetButtons(this, PSWIZB_BACK | PSWIZB_FINISH);
    AddDetail(text);
    HWND cancel = page::ShowRunEnd(this, text, upper);
    sheet->finished = 1;
    const CADVer& choice = sheet->settings.choice;
    if (!rerunButton) {
        POINT p{finishRect.left, finishRect.top};
        ::ScreenToClient(GetParent()->m_hWnd, &p);
        rerunButton = ::CreateWindowExA(0, "BUTTON", "更新", static_cast<DWORD>(::GetWindowLongA(cancel, GWL_STYLE)), p.x,
                                        p.y, finishRect.right - finishRect.left, finishRect.bottom - finishRect.top,
                                        GetParent()->m_hWnd,
                                        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(IDC_RERUN_BUTTON)), nullptr,
                                        nullptr);
    }
    if (choice.relatedFile.size() > 4) ::ShowWindow(rerunButton, SW_HIDE);
    if (code == 1) {
        sheet->selfDelete = 1;
        ::ShowWindow(::GetDlgItem(m_hWnd, 1008), SW_HIDE);
        ::ShowWindow(::GetDlgItem(m_hWnd, 1009), SW_HIDE);
        ::SetWindowTextA(cancel, "退出");
        ::ShowWindow(cancel, SW_SHOW);
        return;
    }
    if (updateButton) ::ShowWindow(updateButton, SW_HIDE);
    if (choice.restart) {
        ::ShowWindow(rerunButton, SW_HIDE);
        WriteRestartState(choice);
        return;
    }
    for (int id : {1008, 1009}) {
        ::CheckDlgButton(m_hWnd, id, BST_UNCHECKED);
        ::ShowWindow(::GetDlgItem(m_hWnd, id), SW_SHOW);
    }
    if (choice.relatedFile.size() > 4) ::SetDlgItemTextA(m_hWnd, 1009, "运行Dero");
    ::ShowWindow(SheetItem(this, kBack), SW_HIDE);
}

void CSetUpPage::OnDetails() {
    HWND list = ::GetDlgItem(m_hWnd, 1011);
    bool show = !::IsWindowVisible(list);
    ::ShowWindow(list, show ? SW_SHOW : SW_HIDE);
    ::SetDlgItemTextA(m_hWnd, 1004, show ? "隐藏详细信息" : "显示详细信息");
}

void CSetUpPage::OnDestroy() {
    const CADVer& choice = Sheet()->settings.choice;
    if (::IsDlgButtonChecked(m_hWnd, 1008) == BST_CHECKED) AddQuickLaunchShortcut(choice);
    if (::IsDlgButtonChecked(m_hWnd, 1009) == BST_CHECKED) {
        std::u16string own = choice.installFolder + u"\\" + choice.relatedFile;
        if (choice.relatedFile.size() > 0 && FileExists(own)) {
            detail::OpenWithShell(own, u"", true);
        } else {
            bool zwcad = platform::text::GbkToUpper(Gbk(choice.cadProduct)).rfind("ZWCAD", 0) == 0;
            std::u16string host = choice.cadFolder + (zwcad ? u"\\zwcad.exe" : u"\\acad.exe");
            std::u16string arguments = u"/p " + choice.profileName;
            detail::OpenWithShell(host, arguments, true);
        }
    }
    CPropertyPage::OnDestroy();
}

// Workers.

UINT SetupWorkerProc(LPVOID param) {
    try {
        InstallEngine engine;
        engine.description = g_chosenDescription;
        if (!g_programFolder.empty()) engine.programFolder = g_programFolder;
        if (!g_programPath.empty()) engine.programPath = g_programPath;
        g_workerDone = 0;
        if (param) {
            g_workerMode = 0;
            engine.RunInstall(g_chosenDescription);
        } else {
            g_workerMode = 1;
            engine.RunUpdate(g_chosenDescription);
        }
        g_workerDone = 1;
    } catch (...) {
    }
    return 0;
}

UINT UninstallWorkerProc(LPVOID) {
    try {
        InstallInfo record;
        record.description = g_chosenDescription;
        record.product = g_chosenDescription.product;
        // The self-deleting batch removes what the uninstall leaves of the product's folder.
        InstallInfo known = record;
        known.LoadOrRemoveInstallRecord(1);
        g_productFolder = known.installFolder;
        record.UninstallProduct();
        HKEY machine = HKEY_LOCAL_MACHINE;
        std::u16string key = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + record.product + u"\\";
        RegDeleteKeyW(machine, key.c_str());
        DeleteFileW(record.startMenuShortcut.c_str());
        DeleteFileW(record.desktopShortcut.c_str());
    } catch (...) {
    }
    return 0;
}

UINT RestoreWorkerProc(LPVOID) {
    try {
        InstallInfo record;
        record.description = g_chosenDescription;
        record.product = g_chosenDescription.product;
        record.RestoreFromRecovery();
    } catch (...) {
    }
    return 0;
}

UINT SetupRollbackProc(LPVOID) {
    try {
        InstallEngine engine;
        engine.description = g_chosenDescription;
        if (!g_programFolder.empty()) engine.programFolder = g_programFolder;
        if (!g_programPath.empty()) engine.programPath = g_programPath;
        engine.RollbackInstall();
    } catch (...) {
    }
    return 0;
}

// Sheet.

BEGIN_MESSAGE_MAP(CSetUpSheet, CPropertySheet)
ON_WM_CLOSE()
ON_WM_SYSCOMMAND()
ON_WM_SHOWWINDOW()
ON_COMMAND(IDCANCEL, OnCancelCommand)
ON_COMMAND(IDHELP, OnHelpCommand)
ON_COMMAND(IDC_RERUN_BUTTON, OnRerun)
END_MESSAGE_MAP()

CSetUpSheet::CSetUpSheet(LPCWSTR caption, CWnd* parent) : CPropertySheet(caption, parent) {
    AddResources();
    ReadHosts();
    hasPackage = FileExists(g_programFolder + u"\\data.cab");
    restartPending = RestartPending();
    if (!restartPending) {
        if (!hasPackage && (FileExists(g_headerPath) || FileExists(g_watermarkPath))) g_useHeader = 1;
        if (!g_restartWizard) {
            if (g_useHeader == 1) AddPage(&welcome);
            if (hasPackage) AddPage(&agreement);
        }
        AddPage(&settings);
    }
    AddPage(&progress);
    if (g_useHeader == 1) {
        welcome.m_psp.dwFlags |= PSP_HIDEHEADER;
        page::SetPageHeader(agreement, "安装协议", "阅读安装协议");
        page::SetPageHeader(settings, "安装配置", "设置安装版本和路径");
        page::SetPageHeader(progress, "安装软件", "点击开始以安装");
        page::UseWizardPictures(*this);
    }
    m_psh.dwFlags |= PSH_HASHELP;
    m_psh.hIcon = ::LoadIconA(SetupResources(), MAKEINTRESOURCEA(IDI_SETUP));
    SetWizardMode();
}

void CSetUpSheet::ReadHosts() {
    if (detected) return;
    detected = 1;
    // The copies come from the install records first: the detection matches the hosts against them.
    ReadInstallRecords(installedCopies);
    DetectHostVersions(targets, installedCopies);
}

BOOL CSetUpSheet::OnInitDialog() {
    // The buttons take their texts before the first page is made: a resumed progress page
    // gives Cancel its own.
    ::SetDlgItemTextA(m_hWnd, ID_WIZBACK, "上一步");
    ::SetDlgItemTextA(m_hWnd, ID_WIZNEXT, "下一步");
    ::SetDlgItemTextA(m_hWnd, ID_WIZFINISH, "完成");
    ::SetDlgItemTextA(m_hWnd, IDCANCEL, "取消");
    ::SetDlgItemTextA(m_hWnd, IDHELP, "帮助");
    BOOL result = CPropertySheet::OnInitDialog();
    ::SetWindowTextW(m_hWnd, g_wizardTitle.c_str());
    ::EnableWindow(::GetDlgItem(m_hWnd, ID_WIZNEXT), FALSE);
    if (CWnd* backdrop = GetParent()) {
        constexpr UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN;
        ::RedrawWindow(backdrop->m_hWnd, nullptr, nullptr, flags);
    }
    return result;
}

void CSetUpSheet::OnShowWindow(BOOL show, UINT status) {
    CPropertySheet::OnShowWindow(show, status);
    ::EnableWindow(::GetDlgItem(m_hWnd, ID_WIZNEXT), FALSE);
}

void CSetUpSheet::OnClose() { OnSetupCancel(); }
void CSetUpSheet::OnCancelCommand() { OnSetupCancel(); }

void CSetUpSheet::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == SC_CLOSE) {
        OnSetupCancel();
        return;
    }
    CPropertySheet::OnSysCommand(id, lParam);
}

void CSetUpSheet::OnRerun() {
    ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
    g_restartWizard = 1;
}

void CSetUpSheet::OnSetupCancel() {
    // Once the registering step began (Cancel disabled) an undo would delete updated files whose
    // backups are gone: closing waits for the end of the run like the disabled Cancel.
    if (progress.worker && !::IsWindowEnabled(::GetDlgItem(m_hWnd, IDCANCEL))) return;
    CWinThread* worker = progress.worker;
    if (worker) worker->SuspendThread();
    if (!finished) {
        if (::MessageBoxA(m_hWnd, "确定要退出安装吗 ?", "", MB_YESNO) != IDYES) {
            if (worker) worker->ResumeThread();
            return;
        }
        if (worker) {
            // The suspended worker stopped at a safe point and is never resumed: the undo starts
            // from consistent lists and folders.
            progress.workers.Abandon();
            progress.worker = progress.workers.Start(selfDelete == 0 ? &SetupRollbackProc : &RestoreWorkerProc, this);
            return;
        }
    }
    progress.worker = nullptr;
    // A worker that reported its end may still be on its last steps (the file type, the driver
    // wizard): the process ends with the sheet, so they are let finish first.
    progress.workers.WaitForRunning();
    // The cabinet was extracted below the work folder.
    const std::u16string stagingRoot = TempFolderPath(u"derosetup");
    for (const char16_t* folder : {u"安装程序目录", u"公共文件目录", u"字体文件目录", u"注册文件目录"})
        DeletePathRecursive(stagingRoot + u"\\" + folder);
    EndDialog(IDCANCEL);
    if (selfDelete) {
        selfDelete = 0;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        bool small = GetFileAttributesExW(g_programPath.c_str(), GetFileExInfoStandard, &data) &&
                     data.nFileSizeHigh == 0 && data.nFileSizeLow <= 12000000;
        if (small && !FileExists(g_programFolder + u"\\data.cab") && !FileExists(g_programFolder + u"\\setup.xml"))
            selfDelete = 1;
    }
}

void CSetUpSheet::OnHelpCommand() {
    CPropertyPage* page = GetActivePage();
    const char* text = nullptr;
    std::string own;
    if (page == &agreement) {
        text = "请认真阅读该协议, 单击下一步接受该协议,单击取消退出安装!";
    } else if (page == &settings) {
        text = "选择安装版本和路径!";
    } else if (page == &progress) {
        if (!g_workerDone) {
            text = g_workerMode == 0 ? "请先完成安装!" : g_workerMode == 1 ? "请先完成更新!" : "请先完成卸载!";
        } else if (g_workerMode < 0) {
            text = "卸载成功!";
        } else {
            std::u16string pattern = settings.choice.installFolder + u"\\system\\*.chm";
            WIN32_FIND_DATAW found{};
            HANDLE find = FindFirstFileW(pattern.c_str(), &found);
            if (find != INVALID_HANDLE_VALUE) {
                FindClose(find);
                std::u16string help = settings.choice.installFolder + u"\\system\\" + found.cFileName;
                detail::OpenWithShell(help, u"", false);
            }
        }
    }
    if (text) ::MessageBoxA(m_hWnd, text, "", MB_OK);
}

}  // namespace Setup
