// Property sheets and pages: the sheet window, page switching and the wizard buttons.
#include "platform/ui/afx_property_sheet.h"

#include <algorithm>

#include "platform/text/format.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/resources.h"

namespace {

using platform::ui::Control;
using platform::ui::ControlKind;

constexpr int kMargin = 7;     // dialog units around the page
constexpr int kButtonRow = 26;  // dialog units below it

const platform::ui::DialogTemplate* PageTemplate(UINT id) {
    HINSTANCE module = AfxGetResourceHandle();
    const platform::ui::DialogTemplate* t = platform::ui::FindDialog(module, id);
    if (!t) {
        platform::ui::AppendTranscript(platform::text::Format("page %u not found in the resources of \"%s\"", id,
                                                              platform::ui::ResourceModuleName(module)));
    }
    return t;
}

}  // namespace

CPropertyPage::CPropertyPage(UINT templateId, UINT) : CDialog(templateId) {}

BOOL CPropertyPage::OnSetActive() {
    if (firstActive_) {
        firstActive_ = false;
    } else {
        UpdateData(FALSE);
    }
    return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }
LRESULT CPropertyPage::OnWizardNext() { return 0; }
LRESULT CPropertyPage::OnWizardBack() { return 0; }
BOOL CPropertyPage::OnWizardFinish() { return TRUE; }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
BOOL CPropertyPage::OnApply() {
    modified_ = false;
    return TRUE;
}
// A page never ends itself: the sheet's buttons decide.
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}
// Keys go to the sheet, whose buttons Enter and Escape stand for.
BOOL CPropertyPage::PreTranslateMessage(MSG*) { return FALSE; }

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
ON_MESSAGE(WM_INITDIALOG, OnInitDialogMessage)
ON_COMMAND(ID_WIZBACK, OnBack)
ON_COMMAND(ID_WIZNEXT, OnNext)
ON_COMMAND(ID_WIZFINISH, OnFinish)
ON_COMMAND(IDCANCEL, OnCancelButton)
ON_COMMAND(IDOK, OnOKButton)
ON_COMMAND(ID_APPLY_NOW, OnApplyButton)
ON_NOTIFY(TCN_SELCHANGING, kSheetTabId, OnTabChanging)
ON_NOTIFY(TCN_SELCHANGE, kSheetTabId, OnTabChanged)
ON_MESSAGE(PSM_SETWIZBUTTONS, OnSetWizButtons)
ON_MESSAGE(PSM_SETCURSEL, OnSetCurSel)
ON_MESSAGE(PSM_PRESSBUTTON, OnPressButton)
ON_MESSAGE(PSM_SETFINISHTEXTA, OnSetFinishText)
ON_MESSAGE(PSM_SETTITLEA, OnSetTitle)
ON_MESSAGE(PSM_GETCURRENTPAGEHWND, OnGetCurrentPage)
ON_MESSAGE(PSM_GETTABCONTROL, OnGetTabControl)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet(LPCSTR caption, CWnd* parent, UINT selectPage)
    : caption_(caption ? caption : ""), parent_(parent), start_(static_cast<int>(selectPage)) {
    m_psh.pszCaption = caption_;
}

CPropertySheet::CPropertySheet(LPCWSTR caption, CWnd* parent, UINT selectPage)
    : CPropertySheet(CString(caption).GetString(), parent, selectPage) {}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page) {
        return;
    }
    page->sheet_ = this;
    pages_.push_back(page);
    if (m_hWnd && !IsWizard()) {
        std::string title = page->m_psp.pszTitle ? page->m_psp.pszTitle : "";
        TCITEMA item;
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        ::SendDlgItemMessageA(m_hWnd, kSheetTabId, TCM_INSERTITEMA, pages_.size() - 1, reinterpret_cast<LPARAM>(&item));
    }
}

void CPropertySheet::RemovePage(int index) {
    if (index < 0 || index >= GetPageCount()) {
        return;
    }
    CPropertyPage* page = pages_[static_cast<std::size_t>(index)];
    if (index == active_) {
        active_ = -1;
    } else if (index < active_) {
        --active_;
    }
    pages_.erase(pages_.begin() + index);
    if (page->m_hWnd) {
        page->DestroyWindow();
    }
    if (active_ < 0 && !pages_.empty() && m_hWnd) {
        Activate(std::min(index, GetPageCount() - 1), 0);
    }
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(CPropertyPage* page) const {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

int CPropertySheet::IndexOfTemplate(UINT templateId) const {
    for (int i = 0; i < GetPageCount(); ++i) {
        if (pages_[static_cast<std::size_t>(i)]->m_nTemplateId == templateId) {
            return i;
        }
    }
    return -1;
}

bool CPropertySheet::CreatePage(CPropertyPage* page) {
    if (page->m_hWnd) {
        return true;
    }
    const platform::ui::DialogTemplate* t = PageTemplate(page->m_nTemplateId);
    if (!t) {
        return false;
    }
    platform::ui::DialogTemplate child = *t;
    child.style = (child.style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_VISIBLE)) | WS_CHILD | DS_CONTROL;
    HWND hwnd = platform::ui::CreateDialogFromTemplate(child, m_hWnd, nullptr, 0, [page](HWND h) { page->SubclassWindow(h); });
    if (!hwnd) {
        return false;
    }
    ::MoveWindow(hwnd, pageArea_.left, pageArea_.top, pageArea_.right - pageArea_.left, pageArea_.bottom - pageArea_.top,
                 FALSE);
    return true;
}

bool CPropertySheet::Activate(int index, int direction) {
    while (index >= 0 && index < GetPageCount()) {
        CPropertyPage* page = pages_[static_cast<std::size_t>(index)];
        if (!CreatePage(page)) {
            return false;
        }
        if (page->OnSetActive()) {
            CPropertyPage* old = GetActivePage();
            if (old && old != page && old->m_hWnd) {
                old->ShowWindow(SW_HIDE);
            }
            active_ = index;
            page->ShowWindow(SW_SHOW);
            platform::ui::AppendTranscript(platform::text::Format("  page %u", page->m_nTemplateId));
            if (!IsWizard()) {
                ::SendDlgItemMessageA(m_hWnd, kSheetTabId, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
            }
            return true;
        }
        if (direction == 0) {
            return false;
        }
        index += direction;
    }
    return false;
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam)) {
        return TRUE;
    }
    // A button a page put on the sheet reaches the page's handler, as the framework routes it.
    const UINT id = LOWORD(wParam);
    CPropertyPage* page = GetActivePage();
    if (id == IDOK || id == IDCANCEL || !page || !page->m_hWnd) {
        return FALSE;
    }
    return page->OnCommand(wParam, lParam);
}

BOOL CPropertySheet::SetActivePage(int index) {
    if (!m_hWnd) {
        if (index < 0 || index >= GetPageCount()) {
            return FALSE;
        }
        start_ = index;
        return TRUE;
    }
    CPropertyPage* current = GetActivePage();
    if (current && !current->OnKillActive()) {
        return FALSE;
    }
    return Activate(index, 0) ? TRUE : FALSE;
}

INT_PTR CPropertySheet::DoModal() {
    if (pages_.empty() || m_hWnd) {
        return -1;
    }
    // The sheet is as large as its largest page plus the button row.
    int cx = 0;
    int cy = 0;
    std::string face = "MS Sans Serif";
    int points = 8;
    for (CPropertyPage* page : pages_) {
        const platform::ui::DialogTemplate* t = PageTemplate(page->m_nTemplateId);
        if (!t) {
            return -1;
        }
        cx = std::max(cx, t->cx);
        cy = std::max(cy, t->cy);
        face = t->fontFace;
        points = t->pointSize;
    }
    bool wizard = IsWizard();
    const platform::ui::DialogTemplate* first = PageTemplate(pages_.front()->m_nTemplateId);
    int tabHeight = wizard ? 0 : 14;
    platform::ui::DialogTemplate sheet;
    sheet.id = pages_.front()->m_nTemplateId;
    sheet.caption = caption_.str();
    sheet.fontFace = face;
    sheet.pointSize = points;
    sheet.cx = cx + 2 * kMargin;
    sheet.cy = cy + tabHeight + kMargin + kButtonRow;
    sheet.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    sheet.unicode = first && first->unicode;
    int y = sheet.cy - 21;
    int right = sheet.cx - kMargin;
    if (wizard) {
        sheet.controls = {Control(ID_WIZBACK, ControlKind::PushButton, "< 上一步(&B)", right - 220, y, 50, 14),
                          Control(ID_WIZNEXT, ControlKind::DefPushButton, "下一步(&N) >", right - 170, y, 50, 14),
                          Control(ID_WIZFINISH, ControlKind::PushButton, "完成", right - 170, y, 50, 14),
                          Control(IDCANCEL, ControlKind::PushButton, "取消", right - 110, y, 50, 14),
                          Control(IDHELP, ControlKind::PushButton, "帮助", right - 50, y, 50, 14)};
        sheet.controls[2].hidden = true;
        sheet.controls[4].hidden = !(m_psh.dwFlags & PSH_HASHELP);
    } else {
        sheet.controls = {Control(kSheetTabId, ControlKind::TabControl, "", kMargin, kMargin, cx, cy + tabHeight),
                          Control(IDOK, ControlKind::DefPushButton, "确定", right - 220, y, 50, 14),
                          Control(IDCANCEL, ControlKind::PushButton, "取消", right - 165, y, 50, 14),
                          Control(ID_APPLY_NOW, ControlKind::PushButton, "应用(&A)", right - 110, y, 50, 14),
                          Control(IDHELP, ControlKind::PushButton, "帮助", right - 50, y, 50, 14)};
        sheet.controls[3].disabled = true;
        sheet.controls[4].hidden = !(m_psh.dwFlags & PSH_HASHELP);
    }
    SIZE base = platform::ui::DialogBaseUnits(face, points);
    pageArea_ = platform::ui::DialogUnitsToPixels(RECT{kMargin, kMargin + tabHeight, kMargin + cx, kMargin + tabHeight + cy}, base);
    HWND owner = parent_ ? parent_->m_hWnd : ::GetActiveWindow();
    HWND hwnd = platform::ui::CreateDialogFromTemplate(sheet, owner, nullptr, 0, [this](HWND h) { SubclassWindow(h); });
    if (!hwnd) {
        return -1;
    }
    INT_PTR result = IDCANCEL;
    if (active_ >= 0) {
        result = platform::ui::RunModalDialog(hwnd, sheet.id);
    } else {
        platform::ui::AppendTranscript("property sheet: no page could be shown");
    }
    for (CPropertyPage* page : pages_) {
        page->firstActive_ = true;
    }
    if (::IsWindow(hwnd)) {
        ::DestroyWindow(hwnd);
    }
    active_ = -1;
    return result;
}

LRESULT CPropertySheet::OnInitDialogMessage(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CPropertySheet::OnInitDialog() {
    if (IsWizard()) {
        ::SendMessageA(m_hWnd, DM_SETDEFID, ID_WIZNEXT, 0);
    } else {
        for (int i = 0; i < GetPageCount(); ++i) {
            std::string title = pages_[static_cast<std::size_t>(i)]->m_psp.pszTitle
                                    ? pages_[static_cast<std::size_t>(i)]->m_psp.pszTitle
                                    : std::string();
            TCITEMA item;
            item.mask = TCIF_TEXT;
            item.pszText = title.data();
            ::SendDlgItemMessageA(m_hWnd, kSheetTabId, TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
    }
    int first = std::clamp(start_, 0, std::max(GetPageCount() - 1, 0));
    if (!Activate(first, 1)) {
        active_ = -1;
    }
    return TRUE;
}

void CPropertySheet::SetWizardButtons(DWORD flags) {
    HWND back = ::GetDlgItem(m_hWnd, ID_WIZBACK);
    HWND next = ::GetDlgItem(m_hWnd, ID_WIZNEXT);
    HWND finish = ::GetDlgItem(m_hWnd, ID_WIZFINISH);
    ::EnableWindow(back, (flags & PSWIZB_BACK) != 0);
    bool showFinish = (flags & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0;
    if (showFinish) {
        ::ShowWindow(next, SW_HIDE);
        ::ShowWindow(finish, SW_SHOW);
        ::EnableWindow(finish, (flags & PSWIZB_FINISH) != 0);
        ::SendMessageA(m_hWnd, DM_SETDEFID, ID_WIZFINISH, 0);
    } else {
        ::ShowWindow(finish, SW_HIDE);
        ::ShowWindow(next, SW_SHOW);
        ::EnableWindow(next, (flags & PSWIZB_NEXT) != 0);
        ::SendMessageA(m_hWnd, DM_SETDEFID, ID_WIZNEXT, 0);
    }
}

void CPropertySheet::SetFinishText(LPCSTR text) {
    HWND finish = ::GetDlgItem(m_hWnd, ID_WIZFINISH);
    ::SetWindowTextA(finish, text);
    ::ShowWindow(finish, SW_SHOW);
    ::EnableWindow(finish, TRUE);
    ::ShowWindow(::GetDlgItem(m_hWnd, ID_WIZNEXT), SW_HIDE);
    ::ShowWindow(::GetDlgItem(m_hWnd, ID_WIZBACK), SW_HIDE);
}

void CPropertySheet::SetTitle(LPCSTR title) {
    caption_ = title ? title : "";
    if (m_hWnd) {
        SetWindowText(caption_);
    }
}

void CPropertySheet::PressButton(int button) {
    int id = 0;
    switch (button) {
        case PSBTN_BACK: id = ID_WIZBACK; break;
        case PSBTN_NEXT: id = ID_WIZNEXT; break;
        case PSBTN_FINISH: id = ID_WIZFINISH; break;
        case PSBTN_OK: id = IDOK; break;
        case PSBTN_CANCEL: id = IDCANCEL; break;
        case PSBTN_HELP: id = IDHELP; break;
        default: return;
    }
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (control && !::IsWindowEnabled(control)) {
        return;
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void CPropertySheet::OnNext() {
    CPropertyPage* page = GetActivePage();
    if (!page || !page->OnKillActive()) {
        return;
    }
    LRESULT target = page->OnWizardNext();
    if (target == -1) {
        return;
    }
    int index = target == 0 ? active_ + 1 : IndexOfTemplate(static_cast<UINT>(target));
    Activate(index, target == 0 ? 1 : 0);
}

void CPropertySheet::OnBack() {
    CPropertyPage* page = GetActivePage();
    if (!page || !page->OnKillActive()) {
        return;
    }
    LRESULT target = page->OnWizardBack();
    if (target == -1) {
        return;
    }
    int index = target == 0 ? active_ - 1 : IndexOfTemplate(static_cast<UINT>(target));
    Activate(index, target == 0 ? -1 : 0);
}

void CPropertySheet::OnFinish() {
    CPropertyPage* page = GetActivePage();
    if (page && page->OnWizardFinish()) {
        EndDialog(ID_WIZFINISH);
    }
}

void CPropertySheet::OnCancelButton() {
    CPropertyPage* page = GetActivePage();
    if (page && !page->OnQueryCancel()) {
        return;
    }
    EndDialog(IDCANCEL);
}

void CPropertySheet::OnOKButton() {
    CPropertyPage* page = GetActivePage();
    if (page && !page->OnKillActive()) {
        return;
    }
    for (CPropertyPage* p : pages_) {
        if (p->m_hWnd && !p->OnApply()) {
            return;
        }
    }
    EndDialog(IDOK);
}

void CPropertySheet::OnApplyButton() {
    CPropertyPage* page = GetActivePage();
    if (page && !page->OnKillActive()) {
        return;
    }
    for (CPropertyPage* p : pages_) {
        if (p->m_hWnd) {
            p->OnApply();
        }
    }
}

void CPropertySheet::OnTabChanging(NMHDR*, LRESULT* result) {
    CPropertyPage* page = GetActivePage();
    *result = (page && !page->OnKillActive()) ? TRUE : FALSE;
}

void CPropertySheet::OnTabChanged(NMHDR*, LRESULT*) {
    int index = static_cast<int>(::SendDlgItemMessageA(m_hWnd, kSheetTabId, TCM_GETCURSEL, 0, 0));
    Activate(index, 0);
}

LRESULT CPropertySheet::OnSetWizButtons(WPARAM, LPARAM lParam) {
    SetWizardButtons(static_cast<DWORD>(lParam));
    return 0;
}

LRESULT CPropertySheet::OnSetCurSel(WPARAM wParam, LPARAM) { return SetActivePage(static_cast<int>(wParam)); }

LRESULT CPropertySheet::OnPressButton(WPARAM wParam, LPARAM) {
    PressButton(static_cast<int>(wParam));
    return 0;
}

LRESULT CPropertySheet::OnSetFinishText(WPARAM, LPARAM lParam) {
    SetFinishText(reinterpret_cast<LPCSTR>(lParam));
    return 0;
}

LRESULT CPropertySheet::OnSetTitle(WPARAM, LPARAM lParam) {
    SetTitle(reinterpret_cast<LPCSTR>(lParam));
    return 0;
}

LRESULT CPropertySheet::OnGetCurrentPage(WPARAM, LPARAM) {
    CPropertyPage* page = GetActivePage();
    return reinterpret_cast<LRESULT>(page ? page->m_hWnd : nullptr);
}

LRESULT CPropertySheet::OnGetTabControl(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(::GetDlgItem(m_hWnd, kSheetTabId));
}

BOOL CPropertySheet::PreTranslateMessage(MSG* msg) { return ::IsDialogMessageA(m_hWnd, msg); }
