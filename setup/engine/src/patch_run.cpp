// Patching installed copies from the package cabinet, and undoing a stopped patch.
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
#include "setup/engine/file_backup.h"
#include "setup/engine/install_state.h"
#include "setup/engine/patch_engine.h"
#include "setup/engine/work_folder.h"

namespace Setup {
namespace {

using detail::Report;
using detail::ReportAt;
using platform::text::Format;

// Sends a line at the current position, then moves the position on.
void Advance(std::u16string_view text) {
    ReportAt(WM_PATCH_POSITION, text);
    ++g_progressPosition;
}

}  // namespace

PatchEngine::PatchEngine() : programFolder(detail::FolderOf(detail::RunningProgramPath())) {}

void PatchEngine::RunPatchInstall() {
    int total = 3;
    for (const CADVer& target : targets) total = detail::AddCount(total, target.fileNum);
    for (const CADVer& component : g_componentEntries) total = detail::AddCount(total, component.fileNum);
    g_patchBackups.Clear();
    g_progressPosition = 0;
    if (const HWND window = g_progressWindow.load(); window && IsWindow(window))
        SendMessageW(window, WM_PATCH_RANGE, static_cast<WPARAM>(total), 0);

    const std::u16string cabinet = programFolder + u"\\data.cab";
    if (!detail::IsFile(cabinet)) {
        Report(WM_PATCH_POSITION, 0, u"找不到数据文件");
        return;
    }
    Advance(u"请稍后，安装程序正在准备数据...");
    if (!detail::CabinetReadable(cabinet)) {
        ReportAt(WM_PATCH_POSITION, u"获取安装信息失败，安装数据可能已损坏");
        return;
    }
    g_patchRecoveryFolder = TempFolderPath(u"insrecovery");
    const std::u16string workFolder = TempFolderPath(u"derosetup");
    Advance(u"正在释放文件...");
    // What someone else left in the work folder is neither patched in nor written through.
    if (!RenewWorkFolder(workFolder, TopFiles::Keep)) {
        ReportAt(WM_PATCH_POSITION, Format(u"无法清理临时目录 %s，补丁未安装", workFolder));
        return;
    }
    // The patch page does not show the driver's fatal line, so it gets one of its own.
    if (!Cabinet::ExtractCabinetFile(cabinet, workFolder, g_progressWindow.load(), "")) {
        ReportAt(WM_PATCH_POSITION, u"释放文件失败，补丁未安装");
        return;
    }

    const std::u16string systemFolder = detail::WindowsFolder() + u"\\system32";
    for (const CADVer& target : targets) {
        currentTarget = target;
        if (!IsAbsolutePath(target.installFolder)) {
            ReportAt(WM_PATCH_POSITION, Format(u"安装目录 %s 不是完整路径，未打补丁", target.installFolder));
            continue;
        }
        PatchCopyFolder(workFolder + u"\\公共文件目录", target.installFolder);
        PatchCopyFolder(workFolder + u"\\安装程序目录\\" + target.source, target.installFolder);
        PatchInstallFonts(workFolder + u"\\字体文件目录");
        PatchCopyRegistrationFolder(workFolder + u"\\注册文件目录", systemFolder);
    }
    for (const CADVer& component : g_componentEntries) {
        Advance(u"拷贝 " + component.componentTarget);
        if (!IsAbsolutePath(component.componentTarget)) {
            ReportAt(WM_PATCH_POSITION, Format(u"%s 不是完整路径，组件未拷贝", component.componentTarget));
            continue;
        }
        PatchCopyFolder(workFolder + u"\\安装程序目录\\" + component.source, component.componentTarget);
    }

    Advance(u"准备安装...");
    Sleep(2000);
    Report(WM_PATCH_REGISTERING, 0, u"正在注册...");
    // Only now has the page stopped offering cancel; until then every backup is needed.
    g_patchBackups.Clear();
    PatchRegisterComponents();

    detail::FinishRun(WM_PATCH_POSITION, WM_PATCH_FINISHED, g_patchRecoveryFolder, total, u"完成");
    g_patchBackups.Clear();
    g_progressPosition = 0;
    g_progressWindow = nullptr;
}

void PatchEngine::RollbackPatch() {
    // Files the patch added are deleted, not moved aside.
    g_uninstallRecoveryFolder.clear();
    ReportAt(WM_PATCH_POSITION, u"正在取消安装...");
    const std::vector<BackedUpFile> failed = g_patchBackups.Restore(
        [](const BackedUpFile& entry) {
            ReportAt(WM_PATCH_POSITION, Format(u"Restoring file %s", entry.target));
            --g_progressPosition;
        },
        [this](const std::u16string& added) {
            // The folders the patch made for the file go when it leaves them empty, up to the
            // installed copy it belongs to.
            InstallInfo owner;
            const std::u16string path = detail::Canonical(added);
            for (const CADVer& target : targets) {
                if (detail::IsBelowFolder(path, detail::Canonical(target.installFolder))) owner.installFolder = target.installFolder;
            }
            return owner.RemoveFileToRecovery(added) || !detail::IsFile(added);
        });
    detail::FinishRestore(WM_PATCH_POSITION, failed, g_patchRecoveryFolder);
    g_progressPosition = 0;
    ReportAt(WM_PATCH_POSITION, u"恢复完成...");
    Report(WM_PATCH_FINISHED, 1, u"恢复完成");
    g_progressWindow = nullptr;
}

bool PatchEngine::PatchCopyWithBackup(const std::u16string& source, const std::u16string& target, bool backup,
                                      const TargetState* known) {
    return g_patchBackups.CopyWithBackup(source, target, backup, g_patchRecoveryFolder, currentTarget.installFolder,
                                         known);
}

void PatchEngine::PatchCopyFolder(const std::u16string& source, const std::u16string& destination) {
    detail::CopyTreeReporting(
        source, destination, WM_PATCH_POSITION, u"安装失败",
        [this](const std::u16string& from, const std::u16string& to, const TargetState& state) {
            return PatchCopyWithBackup(from, to, true, &state);
        });
}

void PatchEngine::PatchCopyRegistrationFolder(const std::u16string& source, const std::u16string& destination) {
    detail::CopyRegistrationTree(
        source, destination, WM_PATCH_POSITION, u" 已存在!", registrationFiles,
        [this](const std::u16string& from, const std::u16string& to, const TargetState& state) {
            return PatchCopyWithBackup(from, to, true, &state);
        });
}

void PatchEngine::PatchInstallFonts(const std::u16string& folder) {
    detail::AddFontsFrom(folder, WM_PATCH_POSITION, detail::FontLine::SourceFolder);
}

void PatchEngine::PatchRegisterComponents() {
    for (const std::u16string& file : registrationFiles) {
        Advance(u"注册组件...");
        if (!detail::HasExtension(file, u".ocx") && !detail::HasExtension(file, u".dll")) continue;
        detail::RegisterServerOf(file, [&](HRESULT result) {
            ReportAt(WM_PATCH_POSITION, file + (result < 0 ? u"call to DllRegisterServer failed" : u" 注册成功"));
        });
    }
}

}  // namespace Setup
