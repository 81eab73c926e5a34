// The steps the install and patch runs take alike: copying the package's folders, adding fonts,
// registering servers, and the ends of a finished or undone run. Each run passes its own messages
// and texts, which differ between the two pages. (Kept apart from run_support.h, which the shell's
// file includes too.)
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine_support.h"
#include "platform/text/format.h"
#include "platform/ui/window_api.h"
#include "platform/win/files.h"
#include "platform/win/modules.h"
#include "run_support.h"
#include "setup/cabinet/drivers.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/install_state.h"

namespace Setup::detail {

// The package cabinet opens and names its members; what it holds is not needed here.
inline bool CabinetReadable(const std::u16string& cabinet) {
    std::uint32_t size = 0, secondSize = 0, members = 0;
    return Cabinet::QueryCabinetInfo(cabinet, &size, &secondSize, &members, "");
}

// Hands each folder (`onFolder`) and each file (`onFile`) directly in `folder` its name, in the
// order the folder lists them.
template <class OnFolder, class OnFile>
void ForEachEntry(const std::u16string& folder, const OnFolder& onFolder, const OnFile& onFile) {
    FindHandle find(folder + u"\\*");
    std::u16string name;
    DWORD attributes = 0;
    while (find.Next(&name, &attributes)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            onFolder(name);
        else
            onFile(name);
    }
}

// The entries of a tree copy's folder (see CopyTreeReporting). A folder of the source is known to
// be one from its folder's listing; a folder of the destination is asked of once, for both what it
// is and whether it needs making.
template <class Copy>
void CopyTreeEntries(const std::u16string& source, const std::u16string& destination, UINT msg,
                     std::u16string_view failed, const Copy& copy, bool linked) {
    ForEachEntry(
        source,
        [&](const std::u16string& name) {
            const std::u16string folder = destination + u"\\" + name;
            // Below a link nothing is written, so nothing there is asked of.
            const DWORD found = linked ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
            const bool below = linked || IsLinkAttributes(found);
            if (!below && !IsFolderAttributes(found))
                CreateDirectoryW(folder.c_str(), nullptr);
            CopyTreeEntries(source + u"\\" + name, folder, msg, failed, copy, below);
        },
        [&](const std::u16string& name) {
            const std::u16string target = destination + u"\\" + name;
            ++g_progressPosition;
            bool copied = false;
            if (!linked) {
                // The one question of the target: the copy is handed what it found.
                const TargetState state = QueryTarget(target);
                copied = !IsLinkAttributes(state.attributes) && copy(source + u"\\" + name, target, state);
            }
            ReportAt(msg, copied ? target : target + std::u16string(failed));
        });
}

// Copies a folder tree file by file through `copy(source, target, state)` (state: the target as
// just found, see QueryTarget): one step and one line (`msg`) a file, the target's path, followed
// by `failed` when the copy did not happen. Below the destination nothing is written through a
// link (a folder on the way is one): such a file counts as not copied.
template <class Copy>
void CopyTreeReporting(const std::u16string& source, const std::u16string& destination, UINT msg,
                       std::u16string_view failed, const Copy& copy) {
    if (!IsFolder(destination)) CreateDirectoryW(destination.c_str(), nullptr);
    if (!IsFolder(source)) return;
    CopyTreeEntries(source, destination, msg, failed, copy, false);
}

// Copies the registration files of a tree, flattened, into `destination` through `copy` (as the
// tree copy's) and lists each copied-to path once in `files`. A file not copied (a link in its
// place is not written through) is reported with `present` when a file of that name is already
// there.
template <class Copy>
void CopyRegistrationTree(const std::u16string& source, const std::u16string& destination, UINT msg,
                          std::u16string_view present, std::vector<std::u16string>& files, const Copy& copy) {
    if (!IsFolder(destination)) CreateDirectoryW(destination.c_str(), nullptr);
    if (!IsFolder(source)) return;
    ForEachEntry(
        source,
        [&](const std::u16string& name) {
            CopyRegistrationTree(source + u"\\" + name, destination, msg, present, files, copy);
        },
        [&](const std::u16string& name) {
            const std::u16string target = destination + u"\\" + name;
            ++g_progressPosition;
            const TargetState state = QueryTarget(target);
            if (!IsLinkAttributes(state.attributes) && copy(source + u"\\" + name, target, state))
                ReportAt(msg, target);
            else
                ReportAt(msg, target + std::u16string(IsFile(target) ? present : std::u16string_view(u" 安装失败!")));
            // A flattened tree can name one file twice; it is registered once.
            const bool known = std::any_of(files.begin(), files.end(),
                                           [&](const std::u16string& file) { return EqualNoCase(file, target); });
            if (!known) files.push_back(target);
        });
}

// Which folder the line after an added font names: the Windows font folder, or the package
// folder the font came from.
enum class FontLine { FontsFolder, SourceFolder };

// Adds the fonts of a tree that Windows does not have yet, one line (`msg`) a font added.
inline void AddFontsFrom(const std::u16string& folder, UINT msg, FontLine line) {
    const std::u16string fonts = WindowsFolder() + u"\\Fonts";
    ForEachEntry(
        folder, [&](const std::u16string& name) { AddFontsFrom(folder + u"\\" + name, msg, line); },
        [&](const std::u16string& name) {
            const std::u16string target = fonts + u"\\" + name;
            if (IsFile(target)) return;
            if (!CopyFileW((folder + u"\\" + name).c_str(), target.c_str(), TRUE)) return;
            AddFont(target);
            SendMessageW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
            ReportAt(msg, line == FontLine::FontsFolder ? fonts : folder);
        });
}

using RegisterServerProc = HRESULT (*)();

// Calls a library's DllRegisterServer, when it has one, and hands its result to `reportResult`
// while the library is still loaded.
template <class ReportResult>
void RegisterServerOf(const std::u16string& file, const ReportResult& reportResult) {
    const HMODULE library = LoadLibraryW(file.c_str());
    if (!library) return;
    const auto registerServer = reinterpret_cast<RegisterServerProc>(GetProcAddress(library, "DllRegisterServer"));
    if (registerServer) reportResult(registerServer());
    FreeLibrary(library);
}

// After the backups have been put back: a line for each file that could not be, then the clean-up
// step. What could not be put back stays in the recovery folder for the user.
inline void FinishRestore(UINT msg, const std::vector<BackedUpFile>& failed, const std::u16string& recoveryFolder) {
    for (const BackedUpFile& entry : failed) {
        ReportAt(msg, entry.backup.empty()
                          ? platform::text::Format(u"无法删除文件 %s", entry.target)
                          : platform::text::Format(u"无法恢复文件 %s，原来的文件保存在 %s", entry.target, entry.backup));
    }
    ReportAt(msg, u"正在清理...");
    --g_progressPosition;
    if (failed.empty()) DeletePathRecursive(recoveryFolder);
}

// The last steps of a finished run: the recovery folder goes, the bar fills, the page hears
// that the run is `done`, and the backdrop goes behind every other window (unmoved, unsized).
inline void FinishRun(UINT positionMsg, UINT finishedMsg, const std::u16string& recoveryFolder, int total,
                      std::u16string_view done) {
    ReportAt(positionMsg, u"正在删除临时文件...");
    DeletePathRecursive(recoveryFolder);
    g_progressPosition = total;
    ReportAt(positionMsg, done);
    Report(finishedMsg, 0, done);
    if (const HWND backdrop = g_backdropWindow.load(); backdrop && IsWindow(backdrop))
        SetWindowPos(backdrop, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace Setup::detail
