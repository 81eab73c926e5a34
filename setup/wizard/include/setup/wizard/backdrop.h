// The full-screen backdrop the wizards run over, and the picture control that paints the
// installer's picture (or bitmap 140 when there is no picture file).
#pragma once

#include "platform/ui/afx_dialog.h"

namespace Setup {

constexpr UINT IDD_BACKDROP = 133;
constexpr UINT IDB_BACKDROP = 140;
constexpr UINT IDB_WATERMARK = 143;
constexpr UINT IDB_HEADER = 144;
constexpr UINT IDI_SETUP = 132;
constexpr int IDC_BACKDROP_PICTURE = 1004;
constexpr int IDC_BACKDROP_TEXT = 1010;
// How far the backdrop reaches past the desktop on every side, so its frame is off screen.
constexpr int kBackdropMargin = 50;

// The installer's resource module: dialogs, bitmaps and the icon.
HINSTANCE SetupResources();

class CButtonPicture : public CWnd {
protected:
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

class CDialogBackGround : public CDialog {
public:
    CDialogBackGround() : CDialog(IDD_BACKDROP) {}
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;

    CButtonPicture picture;
    CString text;

protected:
    void OnSize(UINT type, int cx, int cy);
    void OnShowWindow(BOOL show, UINT status);
    BOOL OnEraseBkgnd(CDC* dc);
    void OnPaint();
    void RedrawAll();
    DECLARE_MESSAGE_MAP()
};

}  // namespace Setup
