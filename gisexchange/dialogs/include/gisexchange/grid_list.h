// The editable grid of the file list dialog: a report list that draws its own rows with grid
// lines, grey read-only columns and a highlighted current cell, and edits a cell in place with an
// edit box or a drop-down list. Both editors report through the list's end-of-label-edit
// notification, so the list writes the new text whichever editor was used.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/afx_controls.h"

namespace gisexchange {

constexpr UINT kLabelEditId = 0x1233;
constexpr UINT kCellEditId = 0x1234;
constexpr UINT kCellComboId = 0x1235;

// Shortens a text that does not fit: whole characters come off its end until the rest, the
// offset and "..." fit; a text that fits (or is empty) comes back unchanged.
std::string FitTextToWidth(std::string_view text, int width, int offset,
                           const std::function<int(std::string_view)>& measure);

// The edit box over one cell. It deletes itself when its window is gone.
class CListEditCtrl : public CEdit {
public:
    CListEditCtrl(int row, int column, const char* text);
    BOOL PreTranslateMessage(MSG* msg) override;
    bool PreTranslateEditKeys(MSG* msg);

protected:
    int OnCreate(LPCREATESTRUCT cs);
    void OnKillFocus(CWnd* next);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnNcDestroy();
    DECLARE_MESSAGE_MAP()

private:
    int m_row;
    int m_column;
    CString m_initial;
    bool m_cancelled = false;
};

// The drop-down list over one cell. It deletes itself when its window is gone.
class CListComboCtrl : public CComboBox {
public:
    CListComboCtrl(int row, int column, std::vector<std::string> choices);
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    int OnCreate(LPCREATESTRUCT cs);
    void OnKillFocus(CWnd* next);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnCloseUp();
    void OnNcDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void Finish(bool cancel);
    int m_row;
    int m_column;
    std::vector<std::string> m_choices;
    bool m_cancelled = false;
};

class CGridListCtrl : public CListCtrl {
public:
    CGridListCtrl();
    ~CGridListCtrl() override;

    void SetColumnReadOnly(int column, int flag);
    int IsColumnReadOnly(int column) const;
    void SetColumnChoices(int column, const char* choices);
    bool GetColumnChoices(int column, std::vector<std::string>& out) const;

    int CurrentColumn() const { return m_currentColumn; }
    void SetBackground(bool on) { m_customBackground = on; }

    BOOL PreTranslateMessage(MSG* msg) override;
    void DrawItem(LPDRAWITEMSTRUCT item) override;

    // Starts editing the selected row at the current column, as Enter or a double click does.
    void EditCurrentCell();

protected:
    void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnHScroll(UINT code, UINT pos, CWnd* bar);
    void OnVScroll(UINT code, UINT pos, CWnd* bar);
    LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
    void MeasureItem(MEASUREITEMSTRUCT* measure);
    DECLARE_MESSAGE_MAP()

private:
    int ColumnCount() const;
    int SelectedRow() const;
    void RedrawRow(int row);
    void MoveCurrentColumn(int delta);
    RECT CellPlacement(int row, int column, int height);

    int m_currentColumn = 0;
    bool m_customBackground = false;
    COLORREF m_background = RGB(245, 245, 255);
    std::vector<std::pair<int, int>> m_readOnly;
    std::vector<std::pair<int, std::string>> m_choices;
};

}  // namespace gisexchange
