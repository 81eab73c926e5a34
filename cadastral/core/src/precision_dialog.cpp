#include "cadastral/precision_dialog.h"

#include "platform/ui/afx_data_exchange.h"
#include "platform/ui/afx_wnd.h"

namespace cadastral {

CPrecisionDlg::CPrecisionDlg(CWnd* parent) : CDialog(IDD_PRECISION, parent) {}

void CPrecisionDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_PLANAR_DECIMALS, m_planarDecimals);
    DDX_Text(dx, IDC_ELEVATION_DECIMALS, m_elevationDecimals);
}

void CPrecisionDlg::OnOK() {
    if (!UpdateData(TRUE))
        return;  // the framework has said why; the dialog stays open
    if (m_planarDecimals < kMinPlanarDecimals) {
        AfxMessageBox(kPlanarTooFewText);
        return;
    }
    if (m_elevationDecimals < kMinElevationDecimals) {
        AfxMessageBox(kElevationTooFewText);
        return;
    }
    EndDialog(IDOK);
}

}  // namespace cadastral
