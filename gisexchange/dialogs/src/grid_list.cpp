#include "gisexchange/grid_list.h"

#include <algorithm>
#include <cstring>

#include "platform/text/gbk.h"
#include "platform/ui/messages.h"

namespace gisexchange {
namespace {

constexpr UINT kOwnerDrawListView = 102;
constexpr int kRowHeight = 16;
constexpr COLORREF kGridColour = RGB(182, 182, 202);
constexpr COLORREF kReadOnlyFill = RGB(230, 230, 230);
constexpr COLORREF kCurrentCellFill = RGB(252, 152, 150);

bool CtrlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// Tells the list's parent how an edit of (row, column) ended; no text means the old one stays.
void SendEndLabelEdit(CWnd* list, UINT editorId, int row, int column, const char* text, LPARAM data)
{
    if (list == nullptr || list->GetSafeHwnd() == nullptr)
        return;
    NMLVDISPINFO info;
    info.hdr.hwndFrom = list->GetSafeHwnd();
    info.hdr.idFrom = editorId;
    info.hdr.code = LVN_ENDLABELEDIT;
    info.item.mask = LVIF_TEXT;
    info.item.iItem = row;
    info.item.iSubItem = column;
    info.item.pszText = const_cast<LPSTR>(text);
    info.item.cchTextMax = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
    info.item.lParam = data;
    if (CWnd* parent = list->GetParent())
        parent->SendMessage(WM_NOTIFY, static_cast<WPARAM>(list->GetDlgCtrlID()), reinterpret_cast<LPARAM>(&info));
}

int TextWidth(CDC& dc, std::string_view text)
{
    return dc.GetTextExtent(std::string(text).c_str(), static_cast<int>(text.size())).cx;
}

}  // namespace

std::string FitTextToWidth(std::string_view text, int width, int offset,
                           const std::function<int(std::string_view)>& measure)
{
    if (text.empty() || measure(text) + offset < width)
        return std::string(text);
    const int ellipsis = measure("...");
    std::string kept(text);
    while (!kept.empty() && offset + ellipsis + measure(kept) >= width) {
        // Step back over the last whole character: a trail byte may look like a single-byte one.
        std::size_t last = 0;
        for (std::size_t at = 0; at < kept.size(); at += platform::text::GbkCharLength(kept, at))
            last = at;
        kept.resize(last);
    }
    return kept + "...";
}

// --- the edit box ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CListEditCtrl, CEdit)
    ON_WM_CREATE()
    ON_WM_KILLFOCUS()
    ON_WM_CHAR()
    ON_WM_NCDESTROY()
END_MESSAGE_MAP()

CListEditCtrl::CListEditCtrl(int row, int column, const char* text)
    : m_row(row), m_column(column), m_initial(text != nullptr ? text : "")
{
}

int CListEditCtrl::OnCreate(LPCREATESTRUCT cs)
{
    if (CEdit::OnCreate(cs) == -1)
        return -1;
    if (CWnd* list = GetParent())
        SetFont(list->GetFont());
    SetWindowText(m_initial);
    SetFocus();
    SetSel(0, 0);
    return 0;
}

void CListEditCtrl::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch == VK_ESCAPE || ch == VK_RETURN) {
        if (ch == VK_ESCAPE)
            m_cancelled = true;
        if (CWnd* list = GetParent())
            list->SetFocus();
        return;
    }
    CEdit::OnChar(ch, repeat, flags);
    CWnd* list = GetParent();
    if (list == nullptr || m_hWnd == nullptr)
        return;
    CString text;
    GetWindowText(text);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(list->GetFont());
    const int wanted = TextWidth(dc, static_cast<const char*>(text)) + 5;
    RECT box{}, client{};
    GetWindowRect(&box);
    list->ScreenToClient(&box);
    list->GetClientRect(&client);
    if (box.right - box.left < wanted) {
        const int right = std::min<int>(box.left + wanted, client.right);
        MoveWindow(box.left, box.top, right - box.left, box.bottom - box.top);
    }
}

void CListEditCtrl::OnKillFocus(CWnd* next)
{
    CEdit::OnKillFocus(next);
    CString text;
    GetWindowText(text);
    SendEndLabelEdit(GetParent(), static_cast<UINT>(GetDlgCtrlID()), m_row, m_column,
                     m_cancelled ? nullptr : static_cast<const char*>(text), 0);
    DestroyWindow();
}

void CListEditCtrl::OnNcDestroy()
{
    CEdit::OnNcDestroy();
    delete this;
}

BOOL CListEditCtrl::PreTranslateMessage(MSG* msg)
{
    return PreTranslateEditKeys(msg) ? TRUE : CEdit::PreTranslateMessage(msg);
}

bool CListEditCtrl::PreTranslateEditKeys(MSG* msg)
{
    if (msg == nullptr || msg->message != WM_KEYDOWN)
        return false;
    const WPARAM key = msg->wParam;
    if (key == VK_RETURN || key == VK_ESCAPE || key == VK_DELETE || CtrlDown()) {
        ::TranslateMessage(msg);
        ::DispatchMessageA(msg);
        return true;
    }
    return false;
}

// --- the drop-down list ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CListComboCtrl, CComboBox)
    ON_WM_CREATE()
    ON_WM_KILLFOCUS()
    ON_WM_CHAR()
    ON_WM_KEYDOWN()
    ON_WM_NCDESTROY()
    ON_CONTROL_REFLECT(CBN_CLOSEUP, OnCloseUp)
END_MESSAGE_MAP()

CListComboCtrl::CListComboCtrl(int row, int column, std::vector<std::string> choices)
    : m_row(row), m_column(column), m_choices(std::move(choices))
{
}

int CListComboCtrl::OnCreate(LPCREATESTRUCT cs)
{
    if (CComboBox::OnCreate(cs) == -1)
        return -1;
    CWnd* list = GetParent();
    if (list != nullptr)
        SetFont(list->GetFont());
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(list != nullptr ? list->GetFont() : nullptr);
    int widest = 0;
    for (const std::string& choice : m_choices) {
        AddString(choice.c_str());
        widest = std::max(widest, TextWidth(dc, choice));
    }
    SetHorizontalExtent(static_cast<UINT>(widest + 6));
    SetFocus();
    return 0;
}

void CListComboCtrl::Finish(bool cancel)
{
    if (cancel)
        m_cancelled = true;
    if (CWnd* list = GetParent())
        list->SetFocus();
}

void CListComboCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags)
{
    if (key == VK_RETURN || key == VK_ESCAPE) {
        Finish(key == VK_ESCAPE);
        return;
    }
    CComboBox::OnKeyDown(key, repeat, flags);
}

void CListComboCtrl::OnChar(UINT ch, UINT repeat, UINT flags)
{
    if (ch == VK_RETURN || ch == VK_ESCAPE)
        return;
    CComboBox::OnChar(ch, repeat, flags);
}

void CListComboCtrl::OnCloseUp()
{
    Finish(false);
}

void CListComboCtrl::OnKillFocus(CWnd* next)
{
    CComboBox::OnKillFocus(next);
    // Sent once: the window goes away right after.
    if (m_row < 0)
        return;
    const int selected = GetCurSel();
    if (selected >= 0 && !m_cancelled) {
        CString text;
        GetLBText(selected, text);
        SendEndLabelEdit(GetParent(), static_cast<UINT>(GetDlgCtrlID()), m_row, m_column,
                         static_cast<const char*>(text), static_cast<LPARAM>(GetItemData(selected)));
    }
    m_row = -1;
    PostMessage(WM_CLOSE);
}

void CListComboCtrl::OnNcDestroy()
{
    CComboBox::OnNcDestroy();
    delete this;
}

BOOL CListComboCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg != nullptr && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        ::TranslateMessage(msg);
        ::DispatchMessageA(msg);
        return TRUE;
    }
    return CComboBox::PreTranslateMessage(msg);
}

// --- the grid --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CGridListCtrl, CListCtrl)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEdit)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_MESSAGE(WM_SETFONT, OnSetFont)
    ON_WM_MEASUREITEM_REFLECT()
END_MESSAGE_MAP()

CGridListCtrl::CGridListCtrl() = default;
CGridListCtrl::~CGridListCtrl() = default;

int CGridListCtrl::ColumnCount() const
{
    CHeaderCtrl* header = GetHeaderCtrl();
    return header != nullptr ? header->GetItemCount() : 0;
}

void CGridListCtrl::SetColumnReadOnly(int column, int flag)
{
    if (column >= 0 && column < ColumnCount())
        m_readOnly.emplace_back(column, flag);
}

int CGridListCtrl::IsColumnReadOnly(int column) const
{
    for (const auto& [at, flag] : m_readOnly)
        if (at == column)
            return flag;
    return 0;
}

void CGridListCtrl::SetColumnChoices(int column, const char* choices)
{
    if (column >= 0 && column < ColumnCount())
        m_choices.emplace_back(column, choices != nullptr ? choices : "");
}

bool CGridListCtrl::GetColumnChoices(int column, std::vector<std::string>& out) const
{
    for (const auto& [at, text] : m_choices) {
        if (at != column)
            continue;
        out.clear();
        std::size_t start = 0;
        for (;;) {
            // ";" is below 0x40, so it is never the trail byte of a double-byte character.
            const std::size_t end = text.find(';', start);
            out.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return true;
    }
    return false;
}

int CGridListCtrl::SelectedRow() const
{
    return GetNextItem(-1, LVNI_SELECTED);
}

void CGridListCtrl::RedrawRow(int row)
{
    if (row >= 0) {
        RedrawItems(row, row);
        UpdateWindow();
    }
}

void CGridListCtrl::MoveCurrentColumn(int delta)
{
    const int last = ColumnCount() - 1;
    m_currentColumn = std::clamp(m_currentColumn + delta, 0, std::max(last, 0));
    RedrawRow(SelectedRow());
}

void CGridListCtrl::OnLButtonDown(UINT, CPoint point)
{
    SetFocus();
    LVHITTESTINFO hit;
    hit.pt = point;
    SubItemHitTest(&hit);
    if (hit.iItem >= 0) {
        int order[64] = {};
        const int count = std::min(ColumnCount(), 64);
        int position = hit.iSubItem;
        if (count > 0 && GetColumnOrderArray(order, count))
            for (int i = 0; i < count; ++i)
                if (order[i] == hit.iSubItem)
                    position = i;
        m_currentColumn = position;
    }
    Default();
    if (hit.iItem >= 0)
        RedrawRow(hit.iItem);
}

void CGridListCtrl::OnLButtonDblClk(UINT flags, CPoint point)
{
    OnLButtonDown(flags, point);
    if (IsColumnReadOnly(m_currentColumn))
        return;
    RedrawRow(SelectedRow());
    EditCurrentCell();
}

BOOL CGridListCtrl::PreTranslateMessage(MSG* msg)
{
    if (msg != nullptr && msg->message == WM_KEYDOWN && msg->hwnd == m_hWnd) {
        switch (msg->wParam) {
            case VK_LEFT:
                MoveCurrentColumn(-1);
                return TRUE;
            case VK_RIGHT:
                MoveCurrentColumn(1);
                return TRUE;
            case VK_RETURN:
                EditCurrentCell();
                return TRUE;
            default:
                break;
        }
    }
    return CListCtrl::PreTranslateMessage(msg);
}

RECT CGridListCtrl::CellPlacement(int row, int column, int height)
{
    EnsureVisible(row, FALSE);
    CRect cell;
    GetSubItemRect(row, column, LVIR_BOUNDS, cell);
    RECT client{};
    GetClientRect(&client);
    if (cell.left < client.left || cell.left > client.right) {
        Scroll(CSize(cell.left, 0));
        GetSubItemRect(row, column, LVIR_BOUNDS, cell);
    }
    const int width = std::min<int>(GetColumnWidth(column), client.right - cell.left);
    return RECT{cell.left, cell.top, cell.left + std::max(width, 0), cell.top + height};
}

void CGridListCtrl::EditCurrentCell()
{
    const int row = SelectedRow();
    if (row < 0 || IsColumnReadOnly(m_currentColumn))
        return;
    CHeaderCtrl* header = GetHeaderCtrl();
    const int column = header != nullptr ? header->OrderToIndex(m_currentColumn) : m_currentColumn;
    CString text = GetItemText(row, column);

    std::vector<std::string> choices;
    if (GetColumnChoices(column, choices)) {
        RECT cell{};
        GetSubItemRect(row, column, LVIR_BOUNDS, *reinterpret_cast<CRect*>(&cell));
        const int rowHeight = cell.bottom - cell.top > 0 ? cell.bottom - cell.top : kRowHeight;
        const RECT place = CellPlacement(row, column, rowHeight * 11);
        auto* combo = new CListComboCtrl(row, column, std::move(choices));
        if (!combo->Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_DISABLENOSCROLL, place, this, kCellComboId)) {
            delete combo;
            return;
        }
        combo->ShowDropDown(TRUE);
        const int match = combo->FindStringExact(-1, text);
        if (match >= 0)
            combo->SetCurSel(match);
        return;
    }

    auto* edit = new CListEditCtrl(row, column, text);
    RECT place{};
    UINT id = kCellEditId;
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
    if (column == 0) {
        CRect label;
        GetItemRect(row, &label, LVIR_LABEL);
        place = label;
        id = kLabelEditId;
    } else {
        CRect cell;
        GetSubItemRect(row, column, LVIR_BOUNDS, cell);
        place = CellPlacement(row, column, cell.bottom - cell.top);
        style |= WS_BORDER;
        LVCOLUMNA info;
        info.mask = LVCF_FMT;
        GetColumn(column, &info);
        if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
            style |= ES_RIGHT;
        else if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
            style |= ES_CENTER;
    }
    if (!edit->Create(style, place, this, id))
        delete edit;
}

void CGridListCtrl::OnEndLabelEdit(NMHDR* header, LRESULT* result)
{
    *result = 0;
    const auto* info = reinterpret_cast<const NMLVDISPINFO*>(header);
    const int count = GetItemCount();
    if (info->item.pszText == nullptr || info->item.iItem < 0 || info->item.iItem >= count)
        return;
    const std::string text = info->item.pszText;
    SetItemText(info->item.iItem, info->item.iSubItem, text.c_str());
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED))
        SetItemText(row, info->item.iSubItem, text.c_str());
}

void CGridListCtrl::OnHScroll(UINT code, UINT pos, CWnd* bar)
{
    SetFocus();
    CListCtrl::OnHScroll(code, pos, bar);
}

void CGridListCtrl::OnVScroll(UINT code, UINT pos, CWnd* bar)
{
    SetFocus();
    CListCtrl::OnVScroll(code, pos, bar);
}

LRESULT CGridListCtrl::OnSetFont(WPARAM, LPARAM)
{
    const LRESULT answer = Default();
    // The rows are measured again only when the list believes its size changed.
    RECT box{};
    GetWindowRect(&box);
    WINDOWPOS pos{};
    pos.hwnd = m_hWnd;
    pos.cx = box.right - box.left;
    pos.cy = box.bottom - box.top;
    pos.flags = 0x216;
    SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return answer;
}

void CGridListCtrl::MeasureItem(MEASUREITEMSTRUCT* measure)
{
    measure->itemHeight = kRowHeight;
}

void CGridListCtrl::DrawItem(LPDRAWITEMSTRUCT item)
{
    if (item == nullptr || item->CtlType != kOwnerDrawListView || (item->itemAction & ODA_DRAWENTIRE) == 0)
        return;
    CDC* dc = CDC::FromHandle(item->hDC);
    if (dc == nullptr)
        return;
    const int row = static_cast<int>(item->itemID);
    const bool selected = (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const COLORREF back = selected ? GetSysColor(COLOR_HIGHLIGHT)
                                   : (m_customBackground ? m_background : GetSysColor(COLOR_WINDOW));
    dc->SetTextColor(selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT));
    dc->SetBkColor(back);
    dc->SelectObject(GetFont());
    const RECT whole = item->rcItem;
    dc->FillSolidRect(&whole, back);
    auto measure = [dc](std::string_view text) { return TextWidth(*dc, text); };
    auto line = [dc](int left, int top, int right, int bottom) {
        RECT r{left, top, right, bottom};
        dc->FillSolidRect(&r, kGridColour);
    };

    CRect label;
    GetItemRect(row, &label, LVIR_LABEL);
    label.top = whole.top;
    label.bottom = whole.bottom;
    if (!selected && IsColumnReadOnly(0))
        dc->FillSolidRect(&label, kReadOnlyFill);
    line(whole.left, whole.bottom - 1, whole.right, whole.bottom);
    if (selected && m_currentColumn == 0) {
        dc->FillSolidRect(&label, kCurrentCellFill);
        dc->DrawFocusRect(&label);
    }
    {
        const std::string text = FitTextToWidth(static_cast<const char*>(GetItemText(row, 0)), label.Width(), 4, measure);
        RECT inset{label.left + 2, label.top, label.right - 2, label.bottom};
        dc->DrawText(text.c_str(), -1, &inset, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    int right = whole.left + GetColumnWidth(0);
    const int columns = ColumnCount();
    for (int column = 1; column < columns; ++column) {
        LVCOLUMNA info;
        info.mask = LVCF_FMT | LVCF_WIDTH;
        if (!GetColumn(column, &info))
            break;
        RECT cell{right, whole.top, right + info.cx, whole.bottom};
        right = cell.right;
        if (!selected && IsColumnReadOnly(column))
            dc->FillSolidRect(&cell, kReadOnlyFill);
        if (selected && m_currentColumn == column) {
            dc->FillSolidRect(&cell, kCurrentCellFill);
            dc->DrawFocusRect(&cell);
        }
        const std::string full = static_cast<const char*>(GetItemText(row, column));
        const std::string text = FitTextToWidth(full, info.cx, 6, measure);
        UINT format = DT_LEFT;
        if (text == full) {
            if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT)
                format = 0x0002;  // DT_RIGHT
            else if ((info.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER)
                format = DT_CENTER;
        }
        RECT inset{cell.left + 3, cell.top, cell.right - 3, cell.bottom};
        dc->DrawText(text.c_str(), -1, &inset, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        line(cell.right - 1, cell.top, cell.right, cell.bottom);
    }
    line(right, whole.top, right + 1, whole.bottom);
}

}  // namespace gisexchange
