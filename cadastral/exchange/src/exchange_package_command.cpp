#include <cstdio>
#include <string>

#include "cadastral/exchange_package.h"
#include "cadastral/folder_tree.h"
#include "cadastral/main_app_services.h"
#include "cadastral/zip_archive_writer.h"
#include "drawingutil/browse_folder.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
#include "platform/ui/folder_browser.h"
#include "platform/ui/messages.h"
#include "platform/win/files.h"

namespace cadastral {
namespace {

constexpr int kEditId = 14148;

struct BrowseState {
    const std::string* start;
    std::string chosen;
};

int BrowseFolderCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data) {
    auto* state = reinterpret_cast<BrowseState*>(data);
    if (state == nullptr) return 0;
    if (msg == BFFM_INITIALIZED) {
        AddFolderPathEdit(hwnd, kEditId);
        if (!state->start->empty())
            SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(state->start->c_str()));
    } else if (msg == BFFM_SELCHANGED) {
        char path[MAX_PATH] = {};
        ShowChosenFolder(hwnd, kEditId, reinterpret_cast<LPCITEMIDLIST>(lParam), path);
        state->chosen = path;
    }
    return 0;
}

int& RememberedAreaAnswer() {
    static int answer = 1;
    return answer;
}

}  // namespace

std::string BrowseForPackageFolderFrom(const std::string& start) {
    BrowseState state{&start, {}};
    BROWSEINFOA info;
    info.hwndOwner = adsw_acadMainWnd();
    info.lpszTitle = "Select a folder ";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    info.lpfn = BrowseFolderCallback;
    info.lParam = reinterpret_cast<LPARAM>(&state);
    LPITEMIDLIST list = SHBrowseForFolderA(&info);
    if (list == nullptr) return {};
    char path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListA(list, path) != FALSE;
    CoTaskMemFree(list);
    return found ? std::string(path) : std::string();
}

bool RunExchangeExport(std::string& folder) {
    CRelationExport context;
    return ExportExchangePackage(context, folder);
}

void PELGARDBF() {
    char prompt[80];
    std::snprintf(prompt, sizeof prompt, "\n是否进行批量面积计算,(0)否 (1)是 <%d>:", RememberedAreaAnswer());
    int answer = RememberedAreaAnswer();
    if (acedGetInt(prompt, &answer) == RTNORM) RememberedAreaAnswer() = answer;
    if (RememberedAreaAnswer() == 1) RunAreaPretreat();

    std::string folder;
    if (!RunExchangeExport(folder)) {
        acedAlert("当前图上有错误");
        return;
    }
    if (folder.empty()) return;
    const std::string packageFolder = WithoutTrailingBackslash(folder);
    const std::string archive = packageFolder + ".zip";
    // The older archive is replaced only by a complete new one, and the folder goes only then.
    std::string error;
    if (!PackFolderToZip(packageFolder, archive, error)) {
        acutPrintf("\n%s; 文件夹 %s 保留, 原有的 %s 未改动", error.c_str(), packageFolder.c_str(), archive.c_str());
        return;
    }
    DeleteFolderTree(packageFolder);
    acutPrintf("\n文件成功输出到 %s", archive.c_str());
}

}  // namespace cadastral
