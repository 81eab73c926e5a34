// The dialog inside the browser's bar: a row of buttons, a read-only rich edit with the text of the
// chosen item, and a tab strip with one tab per item of the item list.
#pragma once

#include <string>

#include "browser/icon_button.h"
#include "browser/item_list.h"
#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_dialog.h"

class CInfoViewDialog : public CDialog, public ItemListView {
public:
    CInfoViewDialog();
    ~CInfoViewDialog() override;

    // One tab per item, in order; item 0 chosen and shown, or an empty text for an empty list.
    void RebuildTabs();
    // The text of the item of the chosen tab becomes the shown text.
    void ShowItemText();

    void ItemTextAdded(std::size_t index, bool newItem) override;
    void ItemCleared(std::size_t index) override;
    void ItemRemoved(std::size_t index) override;

    CRichEditCtrl& TextControl() { return m_text; }
    CTabCtrl& Tabs() { return m_tabs; }
    CToolTipCtrl& ToolTips() { return m_toolTips; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    // The bar lives as long as the module; the dialog is never ended by OK or Cancel.
    void OnOK() override {}
    void OnCancel() override {}

    void OnSize(UINT type, int cx, int cy);
    void OnTabChanged(NMHDR* header, LRESULT* result);
    void OnTextSelectionChanged(NMHDR* header, LRESULT* result);
    void OnSave();
    void OnOpen();
    void OnExport();
    void OnImport();
    void OnSettings();
    void OnFont();
    void OnBackground();
    void OnMenuButton();
    void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    void PushText(std::string text);
    void RemoveChosenTab();
    void SelectTab(std::size_t index);
    void ShowAfterRemoval(std::size_t index);
    void SetUpButtons();
    void SetUpToolTips();

    CToolTipCtrl m_toolTips;
    // The buttons 211 down to 203, in the order of their ids.
    CIconButton m_buttons[9];
    HICON m_icons[9] = {};
    CRichEditCtrl m_text;
    CTabCtrl m_tabs;
    CString m_shownText;
};
