#include "gisexchange/file_list_dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/gis/mapprj60.h"
#include "platform/text/gbk.h"
#include "platform/ui/afx_common_dialogs.h"
#include "platform/ui/messages.h"
#include "platform/win/system_info.h"

namespace gisexchange {
namespace {

using platform::ui::Control;
using platform::ui::ControlKind;

constexpr const char* kTerrain = "地形";
constexpr int kNameBufferSize = 26000;
constexpr int kListIds[] = {kPointListId, kLineListId, kAreaListId, kTableListId};
constexpr const char* kExtensions[] = {".wt", ".wl", ".wp", ".wb"};

std::string Join(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += part + ";";
    return text;
}

// The part after the last backslash, found character by character.
std::string FileName(const std::string& path)
{
    const std::size_t slash = platform::text::GbkFindLast(path, '\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file name without its extension.
std::string FileTitle(const std::string& path)
{
    std::string name = FileName(path);
    const std::size_t dot = platform::text::GbkFindLast(name, '.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

bool EndsWith(const std::string& text, std::string_view tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Where the part (with "?" for any character) first occurs in the title at or after `from`.
std::size_t FindPart(std::string_view title, std::string_view part, std::size_t from)
{
    if (part.size() > title.size())
        return std::string_view::npos;
    for (std::size_t at = from; at + part.size() <= title.size(); ++at) {
        bool same = true;
        for (std::size_t i = 0; i < part.size() && same; ++i)
            same = part[i] == '?' || part[i] == title[at + i];
        if (same)
            return at;
    }
    return std::string_view::npos;
}

}  // namespace

bool MatchesFilePattern(std::string_view title, std::string_view pattern)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t star = pattern.find('*', start);
        parts.push_back(pattern.substr(start, star == std::string_view::npos ? std::string_view::npos : star - start));
        if (star == std::string_view::npos)
            break;
        start = star + 1;
    }
    const bool endsWithStar = parts.size() > 1 && parts.back().empty();
    // The first part anchors at the start.
    if (FindPart(title.substr(0, std::min(title.size(), parts[0].size())), parts[0], 0) != 0)
        return false;
    std::size_t at = parts[0].size();
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].empty())
            continue;
        const std::size_t found = FindPart(title, parts[i], at);
        if (found == std::string_view::npos)
            return false;
        at = found + parts[i].size();
        if (i + 1 == parts.size() && !endsWithStar)
            return at == title.size();
    }
    return true;
}

platform::ui::DialogTemplate FileListDialogTemplate()
{
    platform::ui::DialogTemplate t;
    t.id = kFileListDialogId;
    t.caption = "文件列表";
    t.fontFace = "MS Sans Serif";
    t.pointSize = 8;
    t.cx = 560;
    t.cy = 330;
    t.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    const char* groups[] = {"点文件转换", "线文件转换", "面文件转换", "表文件转换"};
    for (int i = 0; i < 4; ++i) {
        const int x = 7 + (i % 2) * 275;
        const int y = 7 + (i / 2) * 150;
        t.controls.push_back(Control(-1, ControlKind::GroupBox, groups[i], x, y, 270, 145));
        t.controls.push_back(Control(kListIds[i], ControlKind::ListView, "List1", x + 6, y + 12, 258, 110,
                                     LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP));
    }
    // The matching switches stay hidden: every criterion is on.
    const char* switches[kMatchCheckCount] = {"子图号", "宽度", "高度", "颜色", "图层",
                                              "线型", "辅助线型", "X系数", "Y系数", "线宽", "颜色", "辅助颜色", "图层",
                                              "填充颜色", "图案高度", "图案宽度", "图案颜色", "图    层"};
    const int firsts[] = {0, 5, 13, kMatchCheckCount};
    for (int group = 0; group < 3; ++group) {
        const int x = 7 + (group % 2) * 275;
        const int y = 7 + (group / 2) * 150 + 126;
        platform::ui::ControlTemplate label = Control(-1, ControlKind::Static, "地形匹配：", x + 6, y, 40, 10);
        label.hidden = true;
        t.controls.push_back(label);
        for (int i = firsts[group]; i < firsts[group + 1]; ++i) {
            platform::ui::ControlTemplate box = Control(kFirstMatchCheckId + i, ControlKind::CheckBox, switches[i],
                                                        x + 48 + (i - firsts[group]) * 27, y, 26, 10);
            box.hidden = true;
            t.controls.push_back(box);
        }
    }
    t.controls.push_back(Control(kAddFilesId, ControlKind::PushButton, "文件读入", 290, 286, 60, 14));
    t.controls.push_back(Control(kAutoMatchId, ControlKind::PushButton, "自动匹配", 360, 286, 60, 14));
    t.controls.push_back(Control(IDOK, ControlKind::DefPushButton, "确定", 430, 286, 50, 14));
    t.controls.push_back(Control(IDCANCEL, ControlKind::PushButton, "取消", 490, 286, 50, 14));
    return t;
}

BEGIN_MESSAGE_MAP(CFileListDialog, CDialog)
    ON_BN_CLICKED(kAddFilesId, OnAddFiles)
    ON_BN_CLICKED(kAutoMatchId, OnAutoMatch)
    ON_NOTIFY_RANGE(LVN_COLUMNCLICK, kPointListId, kTableListId, OnColumnClick)
END_MESSAGE_MAP()

CFileListDialog::CFileListDialog(CWnd* parent) : CDialog(kFileListDialogId, parent)
{
    std::fill(std::begin(m_match), std::end(m_match), 1);
}

void CFileListDialog::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    for (int i = 0; i < kCategoryCount; ++i)
        DDX_Control(dx, kListIds[i], m_lists[i]);
    for (int i = 0; i < kMatchCheckCount; ++i)
        DDX_Check(dx, kFirstMatchCheckId + i, m_match[i]);
}

BOOL CFileListDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int i = 0; i < kCategoryCount; ++i) {
        CGridListCtrl& list = m_lists[i];
        list.InsertColumn(0, "选择", LVCFMT_LEFT, 130);
        list.InsertColumn(1, "路径", LVCFMT_LEFT, i == kLines ? 320 : 330);
        list.InsertColumn(2, i == kTables ? "表名" : "表类型", LVCFMT_LEFT, 70);
        list.SetColumnReadOnly(0, 1);
        list.SetColumnReadOnly(1, 1);
        if (i == kTables) {
            list.SetColumnReadOnly(2, 1);
        } else {
            std::vector<std::string> choices = m_names[i];
            choices.push_back(kTerrain);
            std::string joined = Join(choices);
            joined.pop_back();
            list.SetColumnChoices(2, joined.c_str());
        }
        list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES |
                              LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        list.SendMessage(WM_SETFONT, 0, 0);
    }
    return TRUE;
}

bool CFileListDialog::Holds(const std::string& path) const
{
    for (const auto& paths : m_paths)
        if (std::find(paths.begin(), paths.end(), path) != paths.end())
            return true;
    return false;
}

void CFileListDialog::AddFile(const std::string& path, const std::string& title)
{
    if (Holds(path))
        return;
    int category = -1;
    for (int i = 0; i < kCategoryCount; ++i)
        if (EndsWith(path, kExtensions[i]))
            category = i;
    if (category < 0)
        return;
    CGridListCtrl& list = m_lists[category];
    const int row = list.InsertItem(list.GetItemCount(), title.c_str());
    char shortPath[MAX_PATH] = {};
    if (GetShortPathNameA(path.c_str(), shortPath, MAX_PATH) == 0 || shortPath[0] == '\0')
        std::strncpy(shortPath, platform::text::TruncateGbk(path, MAX_PATH - 1).c_str(), MAX_PATH - 1);
    list.SetItemText(row, 1, shortPath);
    m_paths[category].push_back(path);
    if (category == kTables) {
        std::string table = platform::text::GbkToUpper(FileName(title));
        if (EndsWith(table, ".WB"))
            table.resize(table.size() - 3);
        list.SetItemText(row, 2, table.c_str());
    }
}

void CFileListDialog::OnAddFiles()
{
    CFileDialog dialog(TRUE, "*.mpj", nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                       "MapGis(*.mpj)|*.mpj|点文件(*.wt)|*.wt|线文件(*.wl)|*.wl|面文件(*.wp)|*.wp|表文件(*.wb)|*.wb||",
                       this);
    std::vector<char> names(kNameBufferSize, '\0');
    dialog.m_ofn.lpstrFile = names.data();
    dialog.m_ofn.nMaxFile = kNameBufferSize;
    if (dialog.DoModal() != IDOK)
        return;
    for (POSITION at = dialog.GetStartPosition(); at != nullptr;) {
        const std::string path = platform::text::GbkToLower(static_cast<const char*>(dialog.GetNextPathName(at)));
        if (!EndsWith(path, ".mpj")) {
            AddFile(path, FileName(path));
            continue;
        }
        const short project = PrjOpen(path.c_str(), 0, 0);
        if (project <= 0) {
            MessageBox(("无法打开 MapGIS 工程 " + path).c_str(), "文件列表", MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        const LONG count = PrjGetCount(project);
        for (LONG i = 0; i < count; ++i) {
            const char* entry = PrjGetFilePath(project, i);
            if (entry == nullptr)
                continue;
            PRJ_ENTRY record{};
            PrjGetEntryAt(project, i, &record);
            record.title[sizeof record.title - 1] = '\0';
            AddFile(platform::text::GbkToLower(entry), record.title);
        }
        PrjFree(project);
    }
}

void CFileListDialog::OnAutoMatch()
{
    for (int category = kPoints; category <= kAreas; ++category) {
        CGridListCtrl& list = m_lists[category];
        const auto& paths = m_paths[category];
        for (int row = 0; row < list.GetItemCount() && row < static_cast<int>(paths.size()); ++row) {
            const std::string title = FileTitle(paths[static_cast<std::size_t>(row)]);
            std::string chosen = kTerrain;
            const auto& patterns = m_patterns[category];
            for (std::size_t i = 0; i < patterns.size() && i < m_names[category].size(); ++i) {
                if (MatchesFilePattern(title, patterns[i])) {
                    chosen = m_names[category][i];
                    break;
                }
            }
            list.SetItemText(row, 2, chosen.c_str());
        }
    }
}

void CFileListDialog::OnColumnClick(UINT id, NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* click = reinterpret_cast<const NMLISTVIEW*>(header);
    if (click->iSubItem != 0)
        return;
    for (int i = 0; i < kCategoryCount; ++i) {
        if (kListIds[i] != static_cast<int>(id))
            continue;
        CGridListCtrl& list = m_lists[i];
        for (int row = 0; row < list.GetItemCount(); ++row)
            list.SetCheck(row, !list.GetCheck(row));
    }
}

void CFileListDialog::OnOK()
{
    UpdateData(TRUE);
    for (int i = 0; i < kCategoryCount; ++i) {
        m_chosenPaths[i].clear();
        m_chosenKinds[i].clear();
        m_chosenTitles[i].clear();
        CGridListCtrl& list = m_lists[i];
        for (int row = 0; row < list.GetItemCount() && row < static_cast<int>(m_paths[i].size()); ++row) {
            if (!list.GetCheck(row))
                continue;
            char kind[501] = {};
            list.GetItemText(row, 2, kind, 500);
            m_chosenPaths[i].push_back(m_paths[i][static_cast<std::size_t>(row)]);
            m_chosenKinds[i].push_back(kind);
            m_chosenTitles[i].push_back(static_cast<const char*>(list.GetItemText(row, 0)));
        }
    }
    EndDialog(IDOK);
}

}  // namespace gisexchange
