// The framework's control classes: thin objects over the controls' messages.
#pragma once

#include <cstring>
#include <memory>

#include "platform/ui/afx_wnd.h"
#include "platform/ui/common_controls.h"

class CStatic : public CWnd {
public:
    HICON SetIcon(HICON icon) { return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon))); }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(STM_GETICON)); }
};

class CButton : public CWnd {
public:
    BOOL Create(LPCSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create("Button", caption, style, rect, parent, id);
    }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL pushed) { SendMessage(BM_SETSTATE, static_cast<WPARAM>(pushed)); }
    UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
    HICON SetIcon(HICON icon) {
        return reinterpret_cast<HICON>(SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
    }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(BM_GETIMAGE, IMAGE_ICON)); }
    // Owner-drawn buttons draw here, asked through their parent's WM_DRAWITEM.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (msg == WM_DRAWITEM) {
            DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
            if (result) {
                *result = TRUE;
            }
            return TRUE;
        }
        return CWnd::OnChildNotify(msg, wParam, lParam, result);
    }
};

class CEdit : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create("Edit", "", style, rect, parent, id);
    }
    void SetSel(int start, int end, BOOL noScroll = FALSE) {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
        if (!noScroll) {
            SendMessage(EM_SCROLLCARET);
        }
    }
    void GetSel(int& start, int& end) const {
        DWORD s = 0;
        DWORD e = 0;
        SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        start = static_cast<int>(s);
        end = static_cast<int>(e);
    }
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE) {
        SendMessage(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text));
    }
    void SetLimitText(UINT max) { SendMessage(EM_LIMITTEXT, max); }
    void LimitText(int max = 0) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(max)); }
    UINT GetLimitText() const { return static_cast<UINT>(SendMessage(EM_GETLIMITTEXT)); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, static_cast<WPARAM>(readOnly))); }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    int LineIndex(int line = -1) const { return static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line))); }
    int LineLength(int pos = -1) const { return static_cast<int>(SendMessage(EM_LINELENGTH, static_cast<WPARAM>(pos))); }
    int LineFromChar(int pos = -1) const { return static_cast<int>(SendMessage(EM_LINEFROMCHAR, static_cast<WPARAM>(pos))); }
    int GetLine(int line, LPSTR buffer, int max) const {
        *reinterpret_cast<WORD*>(buffer) = static_cast<WORD>(max);
        return static_cast<int>(SendMessage(EM_GETLINE, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(buffer)));
    }
    void LineScroll(int lines, int chars = 0) { SendMessage(EM_LINESCROLL, static_cast<WPARAM>(chars), lines); }
    int GetFirstVisibleLine() const { return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE)); }
    BOOL GetModify() const { return static_cast<BOOL>(SendMessage(EM_GETMODIFY)); }
    void SetModify(BOOL modified = TRUE) { SendMessage(EM_SETMODIFY, static_cast<WPARAM>(modified)); }
    void Copy() { SendMessage(0x0301); }
    void Paste() { SendMessage(0x0302); }
    void Cut() { SendMessage(0x0300); }
    void Clear() { SendMessage(0x0303); }
};

class CRichEditCtrl : public CWnd {
public:
    void SetSel(long start, long end) {
        CHARRANGE range{static_cast<LONG>(start), static_cast<LONG>(end)};
        SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    void SetSel(CHARRANGE& range) { SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range)); }
    void GetSel(long& start, long& end) const {
        CHARRANGE range;
        SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        start = range.cpMin;
        end = range.cpMax;
    }
    void GetSel(CHARRANGE& range) const { SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range)); }
    void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE) {
        SendMessage(EM_REPLACESEL, static_cast<WPARAM>(canUndo), reinterpret_cast<LPARAM>(text));
    }
    CString GetSelText() const {
        CHARRANGE range;
        GetSel(range);
        CString text;
        char* buffer = text.GetBufferSetLength(range.cpMax - range.cpMin + 1);
        SendMessage(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buffer));
        text.ReleaseBuffer();
        return text;
    }
    long GetTextLength() const { return static_cast<long>(SendMessage(WM_GETTEXTLENGTH)); }
    DWORD SetEventMask(DWORD mask) { return static_cast<DWORD>(SendMessage(EM_SETEVENTMASK, 0, static_cast<LPARAM>(mask))); }
    DWORD GetEventMask() const { return static_cast<DWORD>(SendMessage(EM_GETEVENTMASK)); }
    COLORREF SetBackgroundColor(BOOL systemColor, COLORREF color) {
        return static_cast<COLORREF>(SendMessage(EM_SETBKGNDCOLOR, static_cast<WPARAM>(systemColor), static_cast<LPARAM>(color)));
    }
    BOOL SetDefaultCharFormat(CHARFORMAT& format) {
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
    }
    DWORD GetDefaultCharFormat(CHARFORMAT& format) const {
        return static_cast<DWORD>(SendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format)));
    }
    BOOL SetSelectionCharFormat(CHARFORMAT& format) {
        return static_cast<BOOL>(SendMessage(EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format)));
    }
    int GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }
    int LineIndex(int line = -1) const { return static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line))); }
    long LineFromChar(long pos) const { return static_cast<long>(SendMessage(EM_EXLINEFROMCHAR, 0, pos)); }
    int LineLength(int pos = -1) const { return static_cast<int>(SendMessage(EM_LINELENGTH, static_cast<WPARAM>(pos))); }
    void LineScroll(int lines, int chars = 0) { SendMessage(EM_LINESCROLL, static_cast<WPARAM>(chars), lines); }
    int GetFirstVisibleLine() const { return static_cast<int>(SendMessage(EM_GETFIRSTVISIBLELINE)); }
    BOOL SetReadOnly(BOOL readOnly = TRUE) { return static_cast<BOOL>(SendMessage(EM_SETREADONLY, static_cast<WPARAM>(readOnly))); }
    long GetTextRange(long first, long last, CString& text) const {
        TEXTRANGEA range;
        range.chrg = CHARRANGE{static_cast<LONG>(first), static_cast<LONG>(last)};
        char* buffer = text.GetBufferSetLength(static_cast<int>(std::max(last - first, 0L)) + 2);
        range.lpstrText = buffer;
        long n = static_cast<long>(SendMessage(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
        text.ReleaseBuffer(static_cast<int>(n));
        return n;
    }
};

class CTabCtrl : public CWnd {
public:
    LONG InsertItem(int index, LPCSTR text) {
        TCITEMA item;
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<LPSTR>(text);
        return static_cast<LONG>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    LONG InsertItem(int index, TCITEMA* item) {
        return static_cast<LONG>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
    }
    BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(TCM_DELETEITEM, static_cast<WPARAM>(index))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(TCM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(index))); }
    void SetCurFocus(int index) { SendMessage(TCM_SETCURFOCUS, static_cast<WPARAM>(index)); }
    int GetCurFocus() const { return static_cast<int>(SendMessage(TCM_GETCURFOCUS)); }
    BOOL GetItem(int index, TCITEMA* item) const {
        return static_cast<BOOL>(SendMessage(TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
    }
    BOOL SetItem(int index, TCITEMA* item) {
        return static_cast<BOOL>(SendMessage(TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item)));
    }
    BOOL GetItemRect(int index, LPRECT rect) const {
        return static_cast<BOOL>(SendMessage(TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
    }
    int HitTest(TCHITTESTINFO* info) const { return static_cast<int>(SendMessage(TCM_HITTEST, 0, reinterpret_cast<LPARAM>(info))); }
};

class CListBox : public CWnd {
public:
    int AddString(LPCSTR text) { return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int InsertString(int index, LPCSTR text) {
        return static_cast<int>(SendMessage(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessage(LB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    int SetTopIndex(int index) { return static_cast<int>(SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index))); }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    void GetText(int index, CString& text) const {
        int length = static_cast<int>(SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index)));
        if (length < 0) {
            text.Empty();
            return;
        }
        SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBufferSetLength(length + 1)));
        text.ReleaseBuffer();
    }
    DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index))); }
    int SetItemData(int index, DWORD_PTR data) {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    int FindStringExact(int start, LPCSTR text) const {
        return static_cast<int>(SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
    }
};

class CComboBox : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
        return CWnd::Create("ComboBox", "", style, rect, parent, id);
    }
    int AddString(LPCSTR text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
    int InsertString(int index, LPCSTR text) {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(UINT index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetLBTextLen(int index) const { return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index))); }
    void GetLBText(int index, CString& text) const {
        int length = GetLBTextLen(index);
        if (length < 0) {
            text.Empty();
            return;
        }
        SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.GetBufferSetLength(length + 1)));
        text.ReleaseBuffer();
    }
    int SelectString(int start, LPCSTR text) {
        return static_cast<int>(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
    }
    int FindStringExact(int start, LPCSTR text) const {
        return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text)));
    }
    void ShowDropDown(BOOL show = TRUE) { SendMessage(CB_SHOWDROPDOWN, static_cast<WPARAM>(show)); }
    BOOL GetDroppedState() const { return static_cast<BOOL>(SendMessage(CB_GETDROPPEDSTATE)); }
    void SetHorizontalExtent(UINT extent) { SendMessage(CB_SETHORIZONTALEXTENT, extent); }
    DWORD_PTR GetItemData(int index) const { return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
    int SetItemData(int index, DWORD_PTR data) {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
};

class CHeaderCtrl : public CWnd {
public:
    int GetItemCount() const { return static_cast<int>(SendMessage(0x1200)); }
    BOOL GetItemRect(int index, LPRECT rect) const {
        return static_cast<BOOL>(SendMessage(0x1207, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
    }
    int OrderToIndex(int order) const { return static_cast<int>(SendMessage(0x120F, static_cast<WPARAM>(order))); }
    BOOL GetOrderArray(int* order, int count) const {
        return static_cast<BOOL>(SendMessage(0x1211, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
    }
};

class CListCtrl : public CWnd {
public:
    ~CListCtrl() override {
        if (header_) {
            header_->m_hWnd = nullptr;  // the header belongs to the list window, not to this object
        }
    }
    int InsertColumn(int index, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1) {
        LVCOLUMNA column;
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = const_cast<LPSTR>(heading);
        column.fmt = format;
        if (width >= 0) {
            column.mask |= LVCF_WIDTH;
            column.cx = width;
        }
        if (subItem >= 0) {
            column.mask |= LVCF_SUBITEM;
            column.iSubItem = subItem;
        }
        return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
    }
    BOOL DeleteColumn(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(index))); }
    BOOL GetColumn(int index, LVCOLUMNA* column) const {
        return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(column)));
    }
    int GetColumnWidth(int index) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index))); }
    BOOL SetColumnWidth(int index, int width) {
        return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0)));
    }
    CHeaderCtrl* GetHeaderCtrl() const {
        if (!header_) {
            header_ = std::make_unique<CHeaderCtrl>();
        }
        header_->m_hWnd = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
        return header_->m_hWnd ? header_.get() : nullptr;
    }
    BOOL GetColumnOrderArray(int* order, int count = -1) const {
        return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order)));
    }
    int InsertItem(int index, LPCSTR text) {
        LVITEMA item;
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<LPSTR>(text);
        return InsertItem(&item);
    }
    int InsertItem(const LVITEMA* item) { return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item))); }
    BOOL SetItem(const LVITEMA* item) { return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(item))); }
    BOOL GetItem(LVITEMA* item) const { return static_cast<BOOL>(SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item))); }
    BOOL SetItemText(int index, int subItem, LPCSTR text) {
        LVITEMA item;
        item.iSubItem = subItem;
        item.pszText = const_cast<LPSTR>(text);
        return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    int GetItemText(int index, int subItem, LPSTR buffer, int size) const {
        LVITEMA item;
        item.iSubItem = subItem;
        item.pszText = buffer;
        item.cchTextMax = size;
        return static_cast<int>(SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    CString GetItemText(int index, int subItem) const {
        // Grows the buffer until the whole text fits.
        for (int size = 256;; size *= 4) {
            CString text;
            int n = GetItemText(index, subItem, text.GetBufferSetLength(size), size);
            text.ReleaseBuffer(n);
            if (n < size - 2) {
                return text;
            }
        }
    }
    BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(index))); }
    BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL SetItemState(int index, UINT state, UINT mask) {
        LVITEMA item;
        item.state = state;
        item.stateMask = mask;
        return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
    }
    UINT GetItemState(int index, UINT mask) const {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), static_cast<LPARAM>(mask)));
    }
    int GetNextItem(int index, int flags) const {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(index), MAKELPARAM(flags, 0)));
    }
    UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
    DWORD SetExtendedStyle(DWORD style) {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
    }
    DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
    BOOL GetCheck(int index) const { return ((GetItemState(index, LVIS_STATEIMAGEMASK) >> 12) - 1) > 0; }
    BOOL SetCheck(int index, BOOL check = TRUE) {
        return SetItemState(index, INDEXTOSTATEIMAGEMASK(check ? 2 : 1), LVIS_STATEIMAGEMASK);
    }
    DWORD_PTR GetItemData(int index) const {
        LVITEMA item;
        item.mask = LVIF_PARAM;
        item.iItem = index;
        GetItem(&item);
        return static_cast<DWORD_PTR>(item.lParam);
    }
    BOOL SetItemData(int index, DWORD_PTR data) {
        LVITEMA item;
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = static_cast<LPARAM>(data);
        return SetItem(&item);
    }
    BOOL GetItemRect(int index, LPRECT rect, UINT code) const {
        rect->left = static_cast<LONG>(code);
        return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)));
    }
    BOOL GetSubItemRect(int index, int subItem, int code, CRect& rect) const {
        rect.top = subItem;
        rect.left = code;
        return static_cast<BOOL>(SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)));
    }
    int HitTest(LVHITTESTINFO* info) const { return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(info))); }
    int HitTest(CPoint point, UINT* flags = nullptr) const {
        LVHITTESTINFO info;
        info.pt = point;
        int index = HitTest(&info);
        if (flags) {
            *flags = info.flags;
        }
        return index;
    }
    int SubItemHitTest(LVHITTESTINFO* info) {
        return static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(info)));
    }
    BOOL EnsureVisible(int index, BOOL partialOk) {
        return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk));
    }
    BOOL Scroll(CSize size) { return static_cast<BOOL>(SendMessage(LVM_SCROLL, static_cast<WPARAM>(size.cx), size.cy)); }
    int GetTopIndex() const { return static_cast<int>(SendMessage(LVM_GETTOPINDEX)); }
    int GetCountPerPage() const { return static_cast<int>(SendMessage(LVM_GETCOUNTPERPAGE)); }
    BOOL RedrawItems(int first, int last) { return static_cast<BOOL>(SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last)); }
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        if (msg == WM_DRAWITEM) {
            DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
            if (result) {
                *result = TRUE;
            }
            return TRUE;
        }
        return CWnd::OnChildNotify(msg, wParam, lParam, result);
    }

private:
    mutable std::unique_ptr<CHeaderCtrl> header_;
};

class CSpinButtonCtrl : public CWnd {
public:
    CWnd* SetBuddy(CWnd* buddy) {
        return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr))));
    }
    CWnd* GetBuddy() const { return CWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY))); }
    void SetRange(short lower, short upper) { SendMessage(UDM_SETRANGE, 0, MAKELPARAM(upper, lower)); }
    void SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const {
        SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    }
    int SetPos(int pos) { return static_cast<short>(LOWORD(SendMessage(UDM_SETPOS, 0, MAKELPARAM(pos, 0)))); }
    int GetPos() const { return static_cast<int>(SendMessage(UDM_GETPOS)); }
    int SetPos32(int pos) { return static_cast<int>(SendMessage(UDM_SETPOS32, 0, pos)); }
    int GetPos32(BOOL* error = nullptr) const { return static_cast<int>(SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error))); }
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper); }
    void GetRange(int& lower, int& upper) const {
        PBRANGE range;
        SendMessage(PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
        lower = range.iLow;
        upper = range.iHigh;
    }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
};

class CTreeCtrl : public CWnd {
public:
    HTREEITEM InsertItem(const TVINSERTSTRUCTA* insert) {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(insert)));
    }
    HTREEITEM InsertItem(LPCSTR text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST) {
        TVINSERTSTRUCTA insert;
        insert.hParent = parent;
        insert.hInsertAfter = after;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<LPSTR>(text);
        return InsertItem(&insert);
    }
    BOOL DeleteItem(HTREEITEM item) { return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item))); }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const {
        return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL ItemHasChildren(HTREEITEM item) const { return GetChildItem(item) != nullptr; }
    BOOL SelectItem(HTREEITEM item) { return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item))); }
    BOOL Expand(HTREEITEM item, UINT code) { return static_cast<BOOL>(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item))); }
    BOOL GetItem(TVITEMA* item) const { return static_cast<BOOL>(SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item))); }
    BOOL SetItem(TVITEMA* item) { return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(item))); }
    CString GetItemText(HTREEITEM handle) const {
        char buffer[1024] = {};
        TVITEMA item;
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = handle;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        GetItem(&item);
        return CString(buffer);
    }
    BOOL SetItemText(HTREEITEM handle, LPCSTR text) {
        TVITEMA item;
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = handle;
        item.pszText = const_cast<LPSTR>(text);
        return SetItem(&item);
    }
    DWORD_PTR GetItemData(HTREEITEM handle) const {
        TVITEMA item;
        item.mask = TVIF_PARAM | TVIF_HANDLE;
        item.hItem = handle;
        GetItem(&item);
        return static_cast<DWORD_PTR>(item.lParam);
    }
    BOOL SetItemData(HTREEITEM handle, DWORD_PTR data) {
        TVITEMA item;
        item.mask = TVIF_PARAM | TVIF_HANDLE;
        item.hItem = handle;
        item.lParam = static_cast<LPARAM>(data);
        return SetItem(&item);
    }
    UINT GetItemState(HTREEITEM handle, UINT mask) const {
        return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(handle), static_cast<LPARAM>(mask)));
    }
    BOOL GetCheck(HTREEITEM handle) const { return (GetItemState(handle, TVIS_STATEIMAGEMASK) >> 12) == 2; }
    BOOL SetCheck(HTREEITEM handle, BOOL check = TRUE) {
        TVITEMA item;
        item.mask = TVIF_STATE | TVIF_HANDLE;
        item.hItem = handle;
        item.stateMask = TVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(check ? 2 : 1);
        return SetItem(&item);
    }
    HTREEITEM HitTest(CPoint point, UINT* flags = nullptr) const {
        TVHITTESTINFO info;
        info.pt = point;
        auto item = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (flags) {
            *flags = info.flags;
        }
        return item;
    }
};

class CToolTipCtrl : public CWnd {
public:
    BOOL Create(CWnd* parent, DWORD style = 0) {
        return CreateEx(0, TOOLTIPS_CLASSA, "", style | WS_POPUP, RECT{}, parent, 0);
    }
    BOOL AddTool(CWnd* wnd, LPCSTR text, LPCRECT = nullptr, UINT_PTR = 0) {
        TOOLINFOA info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = wnd ? ::GetParent(wnd->m_hWnd) : nullptr;
        info.uId = reinterpret_cast<UINT_PTR>(wnd ? wnd->m_hWnd : nullptr);
        info.lpszText = const_cast<LPSTR>(text);
        return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
    }
    void DelTool(CWnd* wnd) {
        TOOLINFOA info;
        info.hwnd = wnd ? ::GetParent(wnd->m_hWnd) : nullptr;
        info.uId = reinterpret_cast<UINT_PTR>(wnd ? wnd->m_hWnd : nullptr);
        SendMessage(TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    }
    void GetText(CString& text, CWnd* wnd) const {
        char buffer[256] = {};
        TOOLINFOA info;
        info.hwnd = wnd ? ::GetParent(wnd->m_hWnd) : nullptr;
        info.uId = reinterpret_cast<UINT_PTR>(wnd ? wnd->m_hWnd : nullptr);
        info.lpszText = buffer;
        SendMessage(TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&info));
        text = buffer;
    }
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, static_cast<WPARAM>(activate)); }
    void RelayEvent(LPMSG msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
    int GetToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
};
