// CDialog: dialogs from templates, modal and modeless.
#include "platform/ui/afx_dialog.h"

#include "platform/text/format.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/resources.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDHelp(templateId), m_nTemplateId(templateId), m_pParentWnd(parent) {}

namespace {

const platform::ui::DialogTemplate* FindTemplate(UINT id) {
    HINSTANCE module = AfxGetResourceHandle();
    const platform::ui::DialogTemplate* t = platform::ui::FindDialog(module, id);
    if (!t) {
        platform::ui::AppendTranscript(platform::text::Format("dialog %u not found in the resources of \"%s\"", id,
                                                              platform::ui::ResourceModuleName(module)));
    }
    return t;
}

}  // namespace

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_nTemplateId = templateId;
    if (parent) {
        m_pParentWnd = parent;
    }
    const platform::ui::DialogTemplate* t = FindTemplate(templateId);
    if (!t || m_hWnd) {
        return FALSE;
    }
    HWND hwnd = platform::ui::CreateDialogFromTemplate(*t, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, nullptr, 0,
                                                       [this](HWND h) { SubclassWindow(h); });
    return hwnd != nullptr;
}

INT_PTR CDialog::DoModal() {
    const platform::ui::DialogTemplate* t = FindTemplate(m_nTemplateId);
    if (!t || m_hWnd) {
        return -1;
    }
    HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : ::GetActiveWindow();
    platform::ui::DialogTemplate modal = *t;
    modal.style &= ~WS_CHILD;
    HWND hwnd = platform::ui::CreateDialogFromTemplate(modal, owner, nullptr, 0, [this](HWND h) { SubclassWindow(h); });
    if (!hwnd) {
        return -1;
    }
    INT_PTR result = platform::ui::RunModalDialog(hwnd, m_nTemplateId);
    if (::IsWindow(hwnd)) {
        ::DestroyWindow(hwnd);
    }
    return result;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (CWnd::PreTranslateMessage(msg)) {
        return TRUE;
    }
    return ::IsDialogMessageA(m_hWnd, msg);
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control && control->m_hWnd) {
        ::SetFocus(control->m_hWnd);
        char cls[16] = {};
        ::GetClassNameA(control->m_hWnd, cls, sizeof cls);
        if (std::string(cls) == "Edit") {
            ::SendMessageA(control->m_hWnd, EM_SETSEL, 0, -1);
        }
    }
}

void CDialog::NextDlgCtrl() const {
    MSG msg;
    msg.hwnd = ::GetFocus() ? ::GetFocus() : m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_TAB;
    ::IsDialogMessageA(m_hWnd, &msg);
}

void CDialog::SetDefID(UINT id) { SendMessage(DM_SETDEFID, id); }
DWORD CDialog::GetDefID() const { return static_cast<DWORD>(SendMessage(DM_GETDEFID)); }
