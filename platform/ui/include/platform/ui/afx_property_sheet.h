// Property sheets and their pages, in tab and wizard form.
//
// The sheet is a dialog window with its own buttons (wizard: Back 12323, Next 12324, Finish
// 12325, Cancel 2, Help 9; tabbed: OK 1, Cancel 2, Apply 12321, Help 9) and holds one page, a
// child dialog made from the page's template, at a time. Pages are made when first shown.
#pragma once

#include <vector>

#include "platform/ui/afx_dialog.h"

constexpr DWORD PSH_WIZARD = 0x00000020;
constexpr DWORD PSH_WIZARD97 = 0x01000000;
constexpr DWORD PSH_WATERMARK = 0x00008000;
constexpr DWORD PSH_HEADER = 0x00080000;
constexpr DWORD PSH_HASHELP = 0x00000200;
constexpr DWORD PSP_HASHELP = 0x00000020;
constexpr DWORD PSP_HIDEHEADER = 0x00000800;
constexpr DWORD PSP_USEHEADERTITLE = 0x00001000;
constexpr DWORD PSP_USEHEADERSUBTITLE = 0x00002000;
constexpr int ID_APPLY_NOW = 0x3021;
constexpr int kSheetTabId = 0x3020;

struct PROPSHEETPAGEA {
    DWORD dwFlags = 0;
    LPCSTR pszTitle = nullptr;
    LPCSTR pszHeaderTitle = nullptr;
    LPCSTR pszHeaderSubTitle = nullptr;
};
struct PROPSHEETHEADERA {
    DWORD dwFlags = 0;
    LPCSTR pszCaption = nullptr;
    HICON hIcon = nullptr;
    HBITMAP hbmWatermark = nullptr;
    HBITMAP hbmHeader = nullptr;
};

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId = 0, UINT captionId = 0);

    // Called as the page is shown; FALSE keeps it from being shown (a wizard moves on).
    virtual BOOL OnSetActive();
    // Called before another page is shown or OK applies; FALSE keeps this page.
    virtual BOOL OnKillActive();
    // 0 goes to the next page, -1 stays, any other value is the template id of the page to show.
    virtual LRESULT OnWizardNext();
    virtual LRESULT OnWizardBack();
    // TRUE ends the wizard.
    virtual BOOL OnWizardFinish();
    // TRUE lets Cancel close the sheet.
    virtual BOOL OnQueryCancel();
    virtual BOOL OnApply();
    void OnOK() override;
    void OnCancel() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void SetModified(BOOL changed = TRUE) { modified_ = changed != FALSE; }
    bool IsModified() const { return modified_; }
    CPropertySheet* GetSheet() const { return sheet_; }

    PROPSHEETPAGEA m_psp;

private:
    friend class CPropertySheet;
    CPropertySheet* sheet_ = nullptr;
    bool firstActive_ = true;
    bool modified_ = false;
};

class CPropertySheet : public CWnd {
public:
    explicit CPropertySheet(LPCSTR caption = "", CWnd* parent = nullptr, UINT selectPage = 0);
    explicit CPropertySheet(LPCWSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);

    void AddPage(CPropertyPage* page);
    void RemovePage(int index);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int index) const;
    CPropertyPage* GetActivePage() const { return GetPage(active_); }
    int GetActiveIndex() const { return active_; }
    int GetPageIndex(CPropertyPage* page) const;
    BOOL SetActivePage(int index);
    BOOL SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }
    void SetWizardMode() { m_psh.dwFlags |= PSH_WIZARD; }
    bool IsWizard() const { return (m_psh.dwFlags & (PSH_WIZARD | PSH_WIZARD97)) != 0; }
    // PSWIZB_BACK, PSWIZB_NEXT, PSWIZB_FINISH, PSWIZB_DISABLEDFINISH.
    void SetWizardButtons(DWORD flags);
    void SetFinishText(LPCSTR text);
    void SetTitle(LPCSTR title);
    void PressButton(int button);
    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

    // IDOK or IDCANCEL; ID_WIZFINISH when a wizard finished. -1 when a page's template is
    // missing from the current resource module.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG* msg) override;
    // A command the sheet does not handle goes on to the active page (OK and Cancel excepted).
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    PROPSHEETHEADERA m_psh;

protected:
    void OnBack();
    void OnNext();
    void OnFinish();
    void OnCancelButton();
    void OnOKButton();
    void OnApplyButton();
    void OnTabChanging(NMHDR* header, LRESULT* result);
    void OnTabChanged(NMHDR* header, LRESULT* result);
    LRESULT OnInitDialogMessage(WPARAM, LPARAM);
    LRESULT OnSetWizButtons(WPARAM, LPARAM lParam);
    LRESULT OnSetCurSel(WPARAM wParam, LPARAM);
    LRESULT OnPressButton(WPARAM wParam, LPARAM);
    LRESULT OnSetFinishText(WPARAM, LPARAM lParam);
    LRESULT OnSetTitle(WPARAM, LPARAM lParam);
    LRESULT OnGetCurrentPage(WPARAM, LPARAM);
    LRESULT OnGetTabControl(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    // Shows the page at index (moving on in direction when it refuses); false when none could be.
    bool Activate(int index, int direction);
    bool CreatePage(CPropertyPage* page);
    int IndexOfTemplate(UINT templateId) const;

    std::vector<CPropertyPage*> pages_;
    CString caption_;
    CWnd* parent_;
    int active_ = -1;
    int start_;
    RECT pageArea_{};
};
