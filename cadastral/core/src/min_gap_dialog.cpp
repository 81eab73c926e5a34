#include "cadastral/min_gap_dialog.h"

#include "cadastral/module_resources.h"
#include "cadastral/settings.h"
#include "platform/cad/documents.h"
#include "platform/cad/main_frame.h"
#include "platform/ui/afx_wnd.h"
#include "platform/ui/resources.h"
#include "platform/win/registry.h"

namespace cadastral {

CMinGapDlg::CMinGapDlg(CWnd* parent) : CDialog(IDD_MIN_GAP, parent), m_value(Settings().min_dist) {}

void CMinGapDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_MIN_GAP_VALUE, m_value);
    DDV_MinMaxDouble(dx, m_value, 0.0, 1.0);
}

BOOL CMinGapDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_value = Settings().min_dist;
    if (CWnd* edit = GetDlgItem(IDC_MIN_GAP_VALUE))
        edit->SetFocus();
    UpdateData(FALSE);
    return FALSE;  // the focus is set
}

void CMinGapDlg::OnRestore() {
    m_value = 0.1;
    UpdateData(FALSE);
}

void CMinGapDlg::OnOK() {
    if (!UpdateData(TRUE))
        return;  // the framework has said why; the dialog stays open
    Settings().min_dist = m_value;
    HKEY key = nullptr;
    bool saved = false;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
        saved = WriteRegistryReal(key, "min_dist", m_value) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    // The value holds for this session either way; the user must know the next one starts with the old.
    if (!saved)
        AfxMessageBox(kMinGapNotSavedText, MB_ICONEXCLAMATION);
    EndDialog(IDOK);
}

BEGIN_MESSAGE_MAP(CMinGapDlg, CDialog)
ON_BN_CLICKED(IDC_MIN_GAP_RESTORE, OnRestore)
END_MESSAGE_MAP()

void SetMinDistCommand() {
    AcApDocument* doc = curDoc();
    const bool locked = doc != nullptr && acDocManager->lockDocument(doc) == Acad::eOk;
    try {
        platform::ui::ResourceScope resources(ModuleResources());
        CMinGapDlg dialog(acedGetAcadFrame());
        dialog.DoModal();
    } catch (...) {
        // A command handler is called by the host: nothing may escape into it.
    }
    if (locked)
        acDocManager->unlockDocument(doc);
}

}  // namespace cadastral
