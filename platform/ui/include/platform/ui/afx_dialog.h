// The framework's dialog: a window made from a dialog template of the current resource module,
// run modally (DoModal, answered by the answer source) or modeless (Create).
#pragma once

#include "platform/ui/afx_data_exchange.h"
#include "platform/ui/afx_wnd.h"

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Modeless: creates the dialog as a child or owned window of the parent.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    // Modal: IDOK, IDCANCEL or the EndDialog result; -1 when the template is not in the current
    // resource module or the dialog cannot be created.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    BOOL PreTranslateMessage(MSG* msg) override;

    void GotoDlgCtrl(CWnd* control);
    void NextDlgCtrl() const;
    void SetDefID(UINT id);
    DWORD GetDefID() const;

    UINT m_nIDHelp = 0;
    UINT m_nTemplateId = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
