// The drawing-precision dialog "设置图形精度" (dialog resource 200): the decimals that coordinates
// and elevations are rounded to. OK refuses fewer than 3 planar or 2 elevation decimals with a
// message and keeps the dialog open.
#pragma once

#include "platform/ui/afx_dialog.h"

namespace cadastral {

inline constexpr UINT IDD_PRECISION = 200;
inline constexpr int IDC_PLANAR_DECIMALS = 200;
inline constexpr int IDC_ELEVATION_DECIMALS = 201;

inline constexpr int kMinPlanarDecimals = 3;
inline constexpr int kMinElevationDecimals = 2;
inline constexpr const char* kPlanarTooFewText = "点平面精度不能小于3位。";
inline constexpr const char* kElevationTooFewText = "高程点精度不能小于2位。";

class CPrecisionDlg : public CDialog {
public:
    explicit CPrecisionDlg(CWnd* parent = nullptr);

    int m_planarDecimals = 3;
    int m_elevationDecimals = 2;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
};

}  // namespace cadastral
