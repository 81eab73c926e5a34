// Patching installed copies from the package cabinet, and undoing a stopped patch.
#include <algorithm>

#include "engine_support.h"
#include "platform/text/format.h"
#include "platform/ui/window_api.h"
#include "platform/win/files.h"
#include "platform/win/modules.h"
#include "platform/win/threads.h"
#include "run_support.h"
#include "setup/cabinet/drivers.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/install_state.h"
#include "setup/engine/patch_engine.h"

namespace Setup {
namespace {

using detail::Report;
using detail::ReportAt;
using platform::text::Format;

using RegisterServerProc = HRESULT (*)();

// Sends a line at the current position, then moves the position on.
void Advance(std::u16string_view text) {
    ReportAt(WM_PATCH_POSITION, text);
    ++g_progressPosition;
}

}  // namespace

PatchEngine::PatchEngine() : programFolder(detail::FolderOf(detail::RunningProgramPath())) {}

void PatchEngine::RunPatchInstall() {
    int total = 3;
    for (const CADVer& target : targets) total += target.fileNum;
    for (const CADVer& component : g_componentEntries) total += component.fileNum;
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
    std::uint32_t size = 0, secondSize = 0, members = 0;
    if (!Cabinet::QueryCabinetInfo(cabinet, &size, &secondSize, &members, "")) {
        ReportAt(WM_PATCH_POSITION, u"获取安装信息失败，安装数据可能已损坏");
        return;
    }
    g_patchRecoveryFolder = TempFolderPath(u"insrecovery");
    const std::u16string workFolder = TempFolderPath(u"derosetup");
    Advance(u"正在释放文件...");
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

    Advance(u"正在删除临时文件...");
    DeletePathRecursive(g_patchRecoveryFolder);
    g_progressPosition = total;
    ReportAt(WM_PATCH_POSITION, u"完成");
    Report(WM_PATCH_FINISHED, 0, u"完成");
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
    for (const BackedUpFile& entry : failed) {
        ReportAt(WM_PATCH_POSITION, entry.backup.empty()
                                        ? Format(u"无法删除文件 %s", entry.target)
                                        : Format(u"无法恢复文件 %s，原来的文件保存在 %s", entry.target, entry.backup));
    }
    ReportAt(WM_PATCH_POSITION, u"正在清理...");
    --g_progressPosition;
    // What could not be put back stays in the recovery folder for the user.
    if (failed.empty()) DeletePathRecursive(g_patchRecoveryFolder);
    g_progressPosition = 0;
    ReportAt(WM_PATCH_POSITION, u"恢复完成...");
    Report(WM_PATCH_FINISHED, 1, u"恢复完成");
    g_progressWindow = nullptr;
}

bool PatchEngine::PatchCopyWithBackup(const std::u16string& source, const std::u16string& target, bool backup) {
    return g_patchBackups.CopyWithBackup(source, target, backup, g_patchRecoveryFolder, currentTarget.installFolder);
}

void PatchEngine::PatchCopyFolder(const std::u16string& source, const std::u16string& destination) {
    if (!detail::IsFolder(destination)) CreateDirectoryW(destination.c_str(), nullptr);
    if (!detail::IsFolder(source)) return;
    detail::FindHandle find(source + u"\\*");
    std::u16string name;
    DWORD attributes = 0;
    while (find.Next(&name, &attributes)) {
        const std::u16string target = destination + u"\\" + name;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            PatchCopyFolder(source + u"\\" + name, target);
            continue;
        }
        ++g_progressPosition;
        const bool copied = PatchCopyWithBackup(source + u"\\" + name, target, true);
        ReportAt(WM_PATCH_POSITION, copied ? target : target + u"安装失败");
    }
}

void PatchEngine::PatchCopyRegistrationFolder(const std::u16string& source, const std::u16string& destination) {
    if (!detail::IsFolder(destination)) CreateDirectoryW(destination.c_str(), nullptr);
    if (!detail::IsFolder(source)) return;
    detail::FindHandle find(source + u"\\*");
    std::u16string name;
    DWORD attributes = 0;
    while (find.Next(&name, &attributes)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            PatchCopyRegistrationFolder(source + u"\\" + name, destination);
            continue;
        }
        const std::u16string target = destination + u"\\" + name;
        ++g_progressPosition;
        if (PatchCopyWithBackup(source + u"\\" + name, target, true))
            ReportAt(WM_PATCH_POSITION, target);
        else
            ReportAt(WM_PATCH_POSITION, target + (detail::IsFile(target) ? u" 已存在!" : u" 安装失败!"));
        const bool known = std::any_of(registrationFiles.begin(), registrationFiles.end(),
                                       [&](const std::u16string& file) { return detail::EqualNoCase(file, target); });
        if (!known) registrationFiles.push_back(target);
    }
}

void PatchEngine::PatchInstallFonts(const std::u16string& folder) {
    const std::u16string windows = detail::WindowsFolder();
    detail::FindHandle find(folder + u"\\*");
    std::u16string name;
    DWORD attributes = 0;
    while (find.Next(&name, &attributes)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            PatchInstallFonts(folder + u"\\" + name);
            continue;
        }
        const std::u16string target = Format(u"%s\\Fonts\\%s", windows, name);
        if (detail::IsFile(target)) continue;
        if (!CopyFileW((folder + u"\\" + name).c_str(), target.c_str(), TRUE)) continue;
        detail::AddFont(target);
        SendMessageW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
        ReportAt(WM_PATCH_POSITION, folder);
    }
}

void PatchEngine::PatchRegisterComponents() {
    for (const std::u16string& file : registrationFiles) {
        Advance(u"注册组件...");
        if (!detail::HasExtension(file, u".ocx") && !detail::HasExtension(file, u".dll")) continue;
        const HMODULE library = LoadLibraryW(file.c_str());
        if (!library) continue;
        const auto registerServer = reinterpret_cast<RegisterServerProc>(GetProcAddress(library, "DllRegisterServer"));
        if (registerServer) {
            const HRESULT result = registerServer();
            ReportAt(WM_PATCH_POSITION, file + (result < 0 ? u"call to DllRegisterServer failed" : u" 注册成功"));
        }
        FreeLibrary(library);
    }
}

}  // namespace Setup
