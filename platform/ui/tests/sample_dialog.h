// A small settings dialog for the dialog tests (include it in one test file only): a real value between 0 and 1 in edit 203, a
// restore button 204, a disabled button 205 and a hidden button 206.
#pragma once

#include "platform/ui/afx_dialog.h"
#include "platform/ui/resources.h"

inline HINSTANCE SampleResources() {
    using platform::ui::Control;
    using platform::ui::ControlKind;
    static HINSTANCE module = [] {
        HINSTANCE m = platform::ui::CreateResourceModule("sample");
        platform::ui::DialogTemplate t;
        t.id = 201;
        t.caption = "最小空隙设置";
        t.fontFace = "宋体";
        t.pointSize = 10;
        t.cx = 185;
        t.cy = 97;
        t.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.controls = {Control(IDOK, ControlKind::DefPushButton, "确定", 38, 76, 50, 14),
                      Control(IDCANCEL, ControlKind::PushButton, "取消", 106, 76, 50, 14),
                      Control(-1, ControlKind::Static, "最小空隙距离:", 14, 34, 50, 8),
                      Control(203, ControlKind::Edit, "", 71, 30, 40, 14),
                      Control(-1, ControlKind::Static, "米", 116, 34, 8, 8),
                      Control(204, ControlKind::PushButton, "恢复", 132, 30, 30, 14),
                      Control(205, ControlKind::PushButton, "off", 132, 50, 30, 14),
                      Control(206, ControlKind::PushButton, "gone", 132, 60, 30, 14)};
        t.controls[6].disabled = true;
        t.controls[7].hidden = true;
        platform::ui::AddDialog(m, t);
        return m;
    }();
    return module;
}

class CSampleDialog : public CDialog {
public:
    explicit CSampleDialog(CWnd* parent = nullptr) : CDialog(201, parent) {}
    double m_value = 0.25;
    double stored = -1;
    int extraClicks = 0;

protected:
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, 203, m_value);
        DDV_MinMaxDouble(dx, m_value, 0.0, 1.0);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        GetDlgItem(203)->SetFocus();
        return FALSE;
    }
    void OnOK() override {
        if (!UpdateData(TRUE)) {
            return;
        }
        stored = m_value;
        EndDialog(IDOK);
    }
    void OnRestore() {
        m_value = 0.1;
        UpdateData(FALSE);
    }
    void OnExtra(UINT) { ++extraClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSampleDialog, CDialog)
ON_BN_CLICKED(204, OnRestore)
ON_COMMAND_RANGE(205, 206, OnExtra)
END_MESSAGE_MAP()
