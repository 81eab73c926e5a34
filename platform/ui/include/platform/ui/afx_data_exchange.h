// Dialog data exchange: members bound to controls, copied into the controls (load) or read back
// and validated (save).
//
// A value that does not parse or does not validate shows the framework's message through the
// answer source, puts the focus on the control and marks the exchange failed; the remaining
// exchanges of that pass then do nothing and UpdateData returns FALSE. Nothing is thrown, so no
// exception crosses a module.
#pragma once

#include <string>

#include "platform/ui/afx_wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;

    // The control with that id (remembered for Fail); null when missing.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    // Marks the exchange failed after a message was shown, and puts the focus on the last control.
    void Fail();
    bool Failed() const { return failed_; }

private:
    bool failed_ = false;
};

void DDX_Text(CDataExchange* dx, int id, CString& value);
#ifdef DERO_HOST_EXTRAS
void DDX_Text(CDataExchange* dx, int id, std::string& value);
#endif
void DDX_Text(CDataExchange* dx, int id, std::u16string& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Text(CDataExchange* dx, int id, UINT& value);
void DDX_Text(CDataExchange* dx, int id, long& value);
void DDX_Text(CDataExchange* dx, int id, double& value);
void DDX_Text(CDataExchange* dx, int id, float& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_Radio(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
void DDX_CBString(CDataExchange* dx, int id, CString& value);
void DDX_LBIndex(CDataExchange* dx, int id, int& index);
// Binds a control to a framework object (subclassing it on the first exchange).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);
void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum);
void DDV_MinMaxDouble(CDataExchange* dx, const double& value, double minimum, double maximum);
void DDV_MaxChars(CDataExchange* dx, const CString& value, int count);
