// Installing and updating from the package cabinet, and undoing a stopped run.
#include <algorithm>

#include "engine_support.h"
#include "platform/text/format.h"
#include "platform/ui/window_api.h"
#include "platform/win/files.h"
#include "platform/win/modules.h"
#include "platform/win/threads.h"
#include "run_steps.h"
#include "run_support.h"
#include "setup/cabinet/drivers.h"
#include "setup/engine/disk_space.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/install_state.h"
#include "setup/engine/work_folder.h"

namespace Setup {
namespace {

using detail::Report;
using detail::ReportAt;
using platform::text::Format;

void ReportRange(int upper) {
    const HWND window = g_progressWindow.load();
    if (window && IsWindow(window)) SendMessageW(window, WM_SETUP_RANGE, static_cast<WPARAM>(upper), 0);
}

BOOL RaiseDriverWindow(HWND hwnd, LPARAM) {
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
    char16_t title[256] = {};
    GetWindowTextW(hwnd, title, 256);
    const std::u16string_view text(title);
    const std::size_t at = text.find(u"WHQL");
    if (at != std::u16string_view::npos && at > 0) {
        SetForegroundWindow(hwnd);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return TRUE;
}

}  // namespace

void InstallEngine::RunInstall(CADVer d) { Run(std::move(d), false); }

void InstallEngine::RunUpdate(CADVer d) { Run(std::move(d), true); }

void InstallEngine::Run(CADVer d, bool update) {
    description = std::move(d);
    g_installBackups.Clear();
    g_installedFiles.clear();
    g_progressPosition = 0;
    g_currentInstallFolder = description.installFolder;
    g_desktopShortcutPath.clear();
    g_startMenuFolder.clear();
    g_startMenuShortcutPath.clear();

    const std::u16string cabinet = programFolder + u"\\data.cab";
    if (!detail::IsFile(cabinet)) {
        Report(WM_SETUP_ERROR, 0, update ? u"找不到数据文件" : u"缺少数据文件");
        return;
    }
    Report(WM_SETUP_STATUS, 0, update ? u"请稍候，正在更新..." : u"安装程序正在安装");
    if (!detail::CabinetReadable(cabinet)) {
        Report(WM_SETUP_ERROR, 0,
               update ? u"获取安装信息失败，安装程序可能已损坏" : u"获取安装信息失败，安装数据可能已经损坏");
        return;
    }

    fileCount = description.fileNum;
    int total = detail::AddCount(description.fileNum, 3);
    for (const CADVer& component : g_componentEntries) total = detail::AddCount(total, component.fileNum);
    ReportRange(total);
    g_progressPosition = 0;

    const std::u16string workFolder = TempFolderPath(u"derosetup");
    g_installRecoveryFolder = TempFolderPath(u"insrecovery");
    Report(WM_SETUP_STATUS, 0, u"请稍候，正在释放文件");
    if (!CheckFreeSpace(TempFolderPath(u""))) {
        ReportAt(WM_SETUP_POSITION, u"完成");
        Report(WM_SETUP_FINISHED, 1, u"完成");
        return;
    }
    // What someone else left in the work folder is neither installed nor written through.
    if (!RenewWorkFolder(workFolder, TopFiles::Keep)) {
        Report(WM_SETUP_ERROR, 0, Format(u"无法清理临时目录 %s，安装程序不能继续", workFolder));
        return;
    }
    // A partly extracted package is not installed: the driver has reported why.
    if (!Cabinet::ExtractCabinetFile(cabinet, workFolder, g_progressWindow.load(), "")) return;
    g_progressPosition = 1;

    const std::u16string& installFolder = description.installFolder;
    if (IsAbsolutePath(installFolder)) {
        CopyFolderTree(workFolder + u"\\公共文件目录", installFolder);
        CopyFolderTree(workFolder + u"\\安装程序目录\\" + description.source, installFolder);
    } else {
        ReportAt(WM_SETUP_POSITION, Format(u"安装目录 %s 不是完整路径，文件未拷贝", installFolder));
    }
    InstallFonts(workFolder + u"\\字体文件目录");
    CopyRegistrationFolder(workFolder + u"\\注册文件目录", detail::WindowsFolder() + u"\\system32");

    for (const CADVer& component : g_componentEntries) {
        Report(WM_SETUP_STATUS, 0, u"正在拷贝 " + component.componentTarget);
        const std::u16string destination =
            detail::EqualNoCase(component.componentTarget, u"AutoCAD") ? description.cadFolder : component.componentTarget;
        if (!IsAbsolutePath(destination)) {
            ReportAt(WM_SETUP_POSITION, Format(u"%s 不是完整路径，组件未拷贝", component.componentTarget));
            continue;
        }
        CopyFolderTree(workFolder + u"\\安装程序目录\\" + component.source, destination);
    }

    ReportAt(WM_SETUP_POSITION, update ? u"正在准备注册..." : u"正在注册...");
    ++g_progressPosition;
    Sleep(2000);
    Report(WM_SETUP_REGISTERING, 0, u"正在注册...");
    // Only now has the page disabled Cancel; until then a cancel must still find every backup.
    g_installBackups.Clear();

    const std::u16string systemFolder = description.GetSystemFolder();
    const std::u16string program = programPath.empty() ? detail::RunningProgramPath() : programPath;
    if (update) {
        CopyFileWithBackup(program, systemFolder + u"\\setup.exe", false);
        CopyFileWithBackup(programFolder + u"\\setup.xml", systemFolder + u"\\setup.xml", true);
    }
    RegisterComponents();
    if (detail::StartsWithNoCase(description.cadProduct, u"ZWCAD"))
        EditZwcadProfiles();
    else
        EditAcadProfiles();
    if (!update) CopyFileWithBackup(program, systemFolder + u"\\setup.exe", true);
    WriteXmlInstallRecord();
    WriteUninstallEntry();
    CreateShortcuts();

    detail::FinishRun(WM_SETUP_POSITION, WM_SETUP_FINISHED, g_installRecoveryFolder, total,
                      update ? u"更新成功" : u"完成");

    g_installedFiles.clear();
    g_installBackups.Clear();
    g_progressPosition = 0;
    g_progressWindow = nullptr;
    g_currentInstallFolder.clear();
    RegisterFileType();
    RunDriverWizard();
}

void InstallEngine::RollbackInstall() {
    Report(WM_SETUP_REGISTERING, 0, u"正在准备取消安装...");
    const std::vector<BackedUpFile> failed = g_installBackups.Restore(
        [](const BackedUpFile& entry) {
            ReportAt(WM_SETUP_POSITION, Format(u"正在恢复文件 %s", entry.target));
            --g_progressPosition;
        },
        [](const std::u16string& added) { return DeleteFileW(added.c_str()) || !detail::IsFile(added); });
    g_installedFiles.clear();
    detail::FinishRestore(WM_SETUP_POSITION, failed, g_installRecoveryFolder);
    g_currentInstallFolder.clear();
    g_progressPosition = 0;
    Report(WM_SETUP_POSITION, 0, u"完成恢复...");
    Report(WM_SETUP_FINISHED, 1, u"完成恢复");
}

void InstallEngine::CopyFolderTree(const std::u16string& source, const std::u16string& destination) {
    detail::CopyTreeReporting(
        source, destination, WM_SETUP_POSITION, u" 安装失败",
        [this](const std::u16string& from, const std::u16string& to, const TargetState& state) {
            return CopyFileWithBackup(from, to, true, &state);
        });
}

void InstallEngine::CopyRegistrationFolder(const std::u16string& source, const std::u16string& destination) {
    detail::CopyRegistrationTree(
        source, destination, WM_SETUP_POSITION, u" 已经存在!", registrationFiles,
        [this](const std::u16string& from, const std::u16string& to, const TargetState& state) {
            return CopyFileWithBackup(from, to, true, &state);
        });
}

bool InstallEngine::CopyFileWithBackup(const std::u16string& source, const std::u16string& target, bool backup,
                                       const TargetState* known) {
    const bool seen = g_installBackups.Has(target);
    const bool copied =
        g_installBackups.CopyWithBackup(source, target, backup, g_installRecoveryFolder, g_currentInstallFolder, known);
    if (copied && backup && !seen) g_installedFiles.push_back(target);
    return copied;
}

void InstallEngine::InstallFonts(const std::u16string& folder) {
    detail::AddFontsFrom(folder, WM_SETUP_POSITION, detail::FontLine::FontsFolder);
}

void InstallEngine::RegisterComponents() {
    for (const std::u16string& file : registrationFiles) {
        ReportAt(WM_SETUP_POSITION, u"正在注册组件...");
        ++g_progressPosition;
        if (detail::HasExtension(file, u".bat")) {
            detail::OpenThroughShell(file, u"open", true);
        } else if (detail::HasExtension(file, u".ocx") || detail::HasExtension(file, u".dll")) {
            detail::RegisterServerOf(file, [&](HRESULT result) {
                Report(WM_SETUP_STATUS, 0,
                       file + (result < 0 ? u"call to DllRegisterServer failed" : u" Registration Successful"));
            });
        }
    }
}

void InstallEngine::RunDriverWizard() {
    for (const std::u16string& file : registrationFiles) {
        if (!detail::IsFile(file) || !detail::EqualNoCase(detail::FileNameOf(file), u"Kitwalk3.exe")) continue;
        detail::OpenThroughShell(file, u"OPEN", false);
        Sleep(1000);
        EnumWindows(&RaiseDriverWindow, 0);
    }
}

bool InstallEngine::CheckFreeSpace(const std::u16string& tempFolder) {
    for (;;) {
        const std::uint64_t needed =
            GetFolderSize(g_currentInstallFolder) / 1048576 + static_cast<std::uint64_t>(std::max(g_totalSize, 0));
        std::uint64_t available = 0, total = 0, free = 0;
        GetDiskFreeMegabytes(tempFolder, &available, &total, &free);
        if (available >= needed) return true;
        const std::u16string text =
            Format(u"空间大小 [%s] 不足, 安装程序需要空余[%d MB].\n 请确保系统目录有足够的空间 安装完成后这些空间将被释放!",
                   tempFolder.substr(0, 2), needed);
        if (MessageBoxW(nullptr, text.c_str(), g_wizardTitle.c_str(), MB_RETRYCANCEL | MB_ICONINFORMATION) != IDRETRY)
            return false;
    }
}

}  // namespace Setup
