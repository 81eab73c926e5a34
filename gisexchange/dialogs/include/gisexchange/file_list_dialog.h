// The dialog of GEOPORT in which the MapGIS files to read are gathered: point, line, area and
// attribute table files in four lists, each ticked row with the template its file follows. The
// dialog only collects; the command reads the files after OK.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gisexchange/grid_list.h"
#include "platform/ui/afx_dialog.h"
#include "platform/ui/resources.h"

namespace gisexchange {

constexpr UINT kFileListDialogId = 201;
constexpr int kPointListId = 200;
constexpr int kLineListId = 201;
constexpr int kAreaListId = 202;
constexpr int kTableListId = 203;
constexpr int kAutoMatchId = 222;
constexpr int kAddFilesId = 241;
constexpr int kFirstMatchCheckId = 223;
constexpr int kMatchCheckCount = 18;

// The template of the dialog, for the module's resources.
platform::ui::DialogTemplate FileListDialogTemplate();

// The title against a file-name pattern: "?" is any one character, "*" any run; the part before
// the first star must start the title, and the first place of the last part must end it.
bool MatchesFilePattern(std::string_view title, std::string_view pattern);

class CFileListDialog : public CDialog {
public:
    explicit CFileListDialog(CWnd* parent = nullptr);

    // One list per category, in the order points, lines, areas, tables.
    enum Category { kPoints, kLines, kAreas, kTables, kCategoryCount };

    // Filled by the caller before the dialog is shown: template names and their patterns.
    std::vector<std::string> m_names[kCategoryCount];
    std::vector<std::string> m_patterns[kCategoryCount];

    // After OK, per category and in row order, of the ticked rows: full path, column 2, column 0.
    std::vector<std::string> m_chosenPaths[kCategoryCount];
    std::vector<std::string> m_chosenKinds[kCategoryCount];
    std::vector<std::string> m_chosenTitles[kCategoryCount];

    // The hidden matching switches, in the order of their check boxes; all on.
    int m_match[kMatchCheckCount];

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnAddFiles();
    void OnAutoMatch();
    void OnColumnClick(UINT id, NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    void AddFile(const std::string& path, const std::string& title);
    bool Holds(const std::string& path) const;

    CGridListCtrl m_lists[kCategoryCount];
    std::vector<std::string> m_paths[kCategoryCount];
};

}  // namespace gisexchange
