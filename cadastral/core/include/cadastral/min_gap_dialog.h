// The minimum-gap dialog "最小空隙设置" (dialog resource 201): shows the
// setting min_dist, takes a real from 0.0 to 1.0, and on OK stores it in the settings record and
// as hundredths under Software\Quorvane\Dero; when the registry refuses it, the user is told.
#pragma once

#include "platform/ui/afx_dialog.h"

namespace cadastral {

inline constexpr UINT IDD_MIN_GAP = 201;
inline constexpr int IDC_MIN_GAP_VALUE = 203;
inline constexpr int IDC_MIN_GAP_RESTORE = 204;

inline constexpr const char* kMinGapNotSavedText = "最小空隙设置未能保存到注册表，只在本次运行中有效";

class CMinGapDlg : public CDialog {
public:
    explicit CMinGapDlg(CWnd* parent = nullptr);

    double m_value;  // the value shown in the edit box

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnRestore();
    DECLARE_MESSAGE_MAP()
};

// The command "setmindist": runs the dialog modally, with the module's resources and
// the current drawing locked.
void SetMinDistCommand();

}  // namespace cadastral
