// List views in report form: columns, rows with sub-item texts, selection, check boxes, header
// clicks and hit tests. The header is a child window of class "SysHeader32" that answers for the
// columns.
#include <algorithm>
#include <cstring>

#include "control_procs.h"
#include "platform/text/gbk.h"
#include "platform/ui/fonts.h"
#include "wide_items.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

constexpr UINT HDM_GETITEMCOUNT_ = 0x1200;
constexpr UINT HDM_GETITEMRECT_ = 0x1207;
constexpr UINT HDM_ORDERTOINDEX_ = 0x120F;
constexpr UINT HDM_GETORDERARRAY_ = 0x1211;
constexpr int kCheckBoxWidth = 16;

struct Column {
    std::string text;
    int width = 50;
    int format = LVCFMT_LEFT;
    int subItem = 0;
};

struct Row {
    std::vector<std::string> texts;  // by sub-item
    UINT state = 0;
    LPARAM param = 0;
};

struct ListViewData : ControlData {
    std::vector<Column> columns;
    std::vector<Row> rows;
    std::vector<int> order;  // display position -> column index
    DWORD extended = 0;
    int top = 0;
    int scrollX = 0;
    HWND header = nullptr;
};

ListViewData* Get(HWND hwnd) { return Data<ListViewData>(hwnd); }

std::string& Cell(Row& row, int sub) {
    if (static_cast<int>(row.texts.size()) <= sub) {
        row.texts.resize(static_cast<std::size_t>(sub) + 1);
    }
    return row.texts[static_cast<std::size_t>(sub)];
}

int RowHeight(HWND) { return kRowHeight; }

// Left edge of a column (by index) in client coordinates, in display order.
int ColumnLeft(const ListViewData& d, int column) {
    int x = -d.scrollX;
    for (int index : d.order) {
        if (index == column) {
            return x;
        }
        x += d.columns[static_cast<std::size_t>(index)].width;
    }
    return x;
}

RECT CellRect(HWND hwnd, const ListViewData& d, int row, int column) {
    int top = kHeaderHeight + (row - d.top) * RowHeight(hwnd);
    int left = ColumnLeft(d, column);
    int width = column < static_cast<int>(d.columns.size()) ? d.columns[static_cast<std::size_t>(column)].width : 0;
    return RECT{left, top, left + width, top + RowHeight(hwnd)};
}

void SetState(HWND hwnd, int index, UINT state, UINT mask) {
    auto* d = Get(hwnd);
    if (!d || index < 0 || index >= static_cast<int>(d->rows.size())) {
        return;
    }
    UINT old = d->rows[static_cast<std::size_t>(index)].state;
    UINT next = (old & ~mask) | (state & mask);
    if (old == next) {
        return;
    }
    NMLISTVIEW record;
    record.iItem = index;
    record.uNewState = next;
    record.uOldState = old;
    record.uChanged = LVIF_STATE;
    record.lParam = d->rows[static_cast<std::size_t>(index)].param;
    if (NotifyParent(hwnd, record.hdr, LVN_ITEMCHANGING)) {
        return;  // the parent refused
    }
    d = Get(hwnd);
    if (!d || index >= static_cast<int>(d->rows.size())) {
        return;
    }
    d->rows[static_cast<std::size_t>(index)].state = next;
    NMLISTVIEW changed = record;
    NotifyParent(hwnd, changed.hdr, LVN_ITEMCHANGED);
}

void SelectOnly(HWND hwnd, int index) {
    auto* d = Get(hwnd);
    if (!d) {
        return;
    }
    int count = static_cast<int>(d->rows.size());
    for (int i = 0; i < count; ++i) {
        if (i != index) {
            SetState(hwnd, i, 0, LVIS_SELECTED | LVIS_FOCUSED);
        }
    }
    SetState(hwnd, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void HitTest(HWND hwnd, const ListViewData& d, LVHITTESTINFO& info) {
    info.iItem = -1;
    info.iSubItem = 0;
    info.flags = LVHT_NOWHERE;
    if (info.pt.y < kHeaderHeight) {
        return;
    }
    int row = d.top + (info.pt.y - kHeaderHeight) / RowHeight(hwnd);
    if (row < 0 || row >= static_cast<int>(d.rows.size())) {
        return;
    }
    for (std::size_t c = 0; c < d.columns.size(); ++c) {
        int left = ColumnLeft(d, static_cast<int>(c));
        if (info.pt.x >= left && info.pt.x < left + d.columns[c].width) {
            info.iItem = row;
            info.iSubItem = static_cast<int>(c);
            bool box = c == 0 && (d.extended & LVS_EX_CHECKBOXES) && info.pt.x < left + kCheckBoxWidth;
            info.flags = box ? LVHT_ONITEMSTATEICON : LVHT_ONITEMLABEL;
            return;
        }
    }
}

int HeaderHit(const ListViewData& d, int x) {
    for (std::size_t c = 0; c < d.columns.size(); ++c) {
        int left = ColumnLeft(d, static_cast<int>(c));
        if (x >= left && x < left + d.columns[c].width) {
            return static_cast<int>(c);
        }
    }
    return -1;
}

LRESULT CopyText(const std::string& text, LPSTR buffer, int size) {
    if (!buffer || size <= 0) {
        return 0;
    }
    std::string cut = platform::text::TruncateGbk(text, static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, cut.data(), cut.size());
    buffer[cut.size()] = '\0';
    return static_cast<LRESULT>(cut.size());
}

void WriteItem(Row& row, const LVITEMA& item) {
    if ((item.mask & LVIF_TEXT) && item.pszText && item.pszText != LPSTR_TEXTCALLBACKA) {
        Cell(row, item.iSubItem) = item.pszText;
    }
    if (item.iSubItem == 0) {
        if (item.mask & LVIF_PARAM) {
            row.param = item.lParam;
        }
        if (item.mask & LVIF_STATE) {
            row.state = (row.state & ~item.stateMask) | (item.state & item.stateMask);
        }
    }
}

void MouseDown(HWND hwnd, LPARAM lParam, bool doubleClick) {
    SetFocus(hwnd);
    auto* d = Get(hwnd);
    if (!d) {
        return;
    }
    POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (pt.y < kHeaderHeight) {
        int column = HeaderHit(*d, pt.x);
        if (column >= 0 && !doubleClick) {
            NMLISTVIEW record;
            record.iItem = -1;
            record.iSubItem = column;
            record.ptAction = pt;
            NotifyParent(hwnd, record.hdr, LVN_COLUMNCLICK);
        }
        return;
    }
    LVHITTESTINFO info;
    info.pt = pt;
    HitTest(hwnd, *d, info);
    if (info.iItem >= 0 && !doubleClick) {
        if (info.flags == LVHT_ONITEMSTATEICON) {
            UINT state = d->rows[static_cast<std::size_t>(info.iItem)].state & LVIS_STATEIMAGEMASK;
            UINT next = state == INDEXTOSTATEIMAGEMASK(2) ? INDEXTOSTATEIMAGEMASK(1) : INDEXTOSTATEIMAGEMASK(2);
            SetState(hwnd, info.iItem, next, LVIS_STATEIMAGEMASK);
        } else if (GetKeyState(VK_CONTROL) < 0 && !(GetWindowLongA(hwnd, GWL_STYLE) & LVS_SINGLESEL)) {
            UINT state = d->rows[static_cast<std::size_t>(info.iItem)].state;
            SetState(hwnd, info.iItem, state ^ LVIS_SELECTED, LVIS_SELECTED);
        } else {
            SelectOnly(hwnd, info.iItem);
        }
    }
    NMITEMACTIVATE record;
    record.iItem = info.iItem;
    record.iSubItem = info.iSubItem;
    record.ptAction = pt;
    NotifyParent(hwnd, record.hdr, doubleClick ? NM_DBLCLK : NM_CLICK);
}

}  // namespace

LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {  // wide twins
        case LVM_INSERTITEMW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_INSERTITEMA, wParam, lParam, reinterpret_cast<LVITEMA*>(lParam), false);
        case LVM_SETITEMW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_SETITEMA, wParam, lParam, reinterpret_cast<LVITEMA*>(lParam), false);
        case LVM_SETITEMTEXTW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_SETITEMTEXTA, wParam, lParam, reinterpret_cast<LVITEMA*>(lParam), false);
        case LVM_GETITEMW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_GETITEMA, wParam, lParam, reinterpret_cast<LVITEMA*>(lParam), true);
        case LVM_GETITEMTEXTW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_GETITEMTEXTA, wParam, lParam, reinterpret_cast<LVITEMA*>(lParam), true);
        case LVM_INSERTCOLUMNW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_INSERTCOLUMNA, wParam, lParam, reinterpret_cast<LVCOLUMNA*>(lParam), false);
        case LVM_SETCOLUMNW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_SETCOLUMNA, wParam, lParam, reinterpret_cast<LVCOLUMNA*>(lParam), false);
        case LVM_GETCOLUMNW:
            return CallWithNarrowText(hwnd, &ListViewProc, LVM_GETCOLUMNA, wParam, lParam, reinterpret_cast<LVCOLUMNA*>(lParam), true);
        default:
            break;
    }
    auto self = Find(hwnd);
    if (!self) {
        return 0;
    }
    if (msg == WM_NCCREATE) {
        std::lock_guard lock(TableMutex());
        self->data = std::make_unique<ListViewData>();
        return TRUE;
    }
    if (msg == WM_CREATE) {
        RECT r;
        GetClientRect(hwnd, &r);
        HWND header = CreateWindowExA(0, "SysHeader32", "", WS_CHILD | WS_VISIBLE, 0, 0, r.right, kHeaderHeight, hwnd,
                                      nullptr, nullptr, nullptr);
        if (auto* d = Get(hwnd)) {
            d->header = header;
        }
        return 0;
    }
    auto* d = Get(hwnd);
    if (!d) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    int count = static_cast<int>(d->rows.size());
    int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case LVM_GETITEMCOUNT:
            return count;
        case LVM_INSERTCOLUMNA: {
            auto* col = reinterpret_cast<const LVCOLUMNA*>(lParam);
            if (!col || index < 0) {
                return -1;
            }
            index = std::min(index, static_cast<int>(d->columns.size()));
            Column c;
            if ((col->mask & LVCF_TEXT) && col->pszText) c.text = col->pszText;
            if (col->mask & LVCF_WIDTH) c.width = col->cx;
            if (col->mask & LVCF_FMT) c.format = col->fmt;
            c.subItem = (col->mask & LVCF_SUBITEM) ? col->iSubItem : index;
            d->columns.insert(d->columns.begin() + index, c);
            for (int& o : d->order) {
                if (o >= index) ++o;
            }
            d->order.push_back(index);
            std::sort(d->order.begin(), d->order.end());
            return index;
        }
        case LVM_DELETECOLUMN:
            if (index < 0 || index >= static_cast<int>(d->columns.size())) {
                return FALSE;
            }
            d->columns.erase(d->columns.begin() + index);
            std::erase(d->order, index);
            for (int& o : d->order) {
                if (o > index) --o;
            }
            for (auto& row : d->rows) {
                if (static_cast<int>(row.texts.size()) > index) {
                    row.texts.erase(row.texts.begin() + index);
                }
            }
            return TRUE;
        case LVM_GETCOLUMNA: {
            auto* col = reinterpret_cast<LVCOLUMNA*>(lParam);
            if (!col || index < 0 || index >= static_cast<int>(d->columns.size())) {
                return FALSE;
            }
            const Column& c = d->columns[static_cast<std::size_t>(index)];
            if (col->mask & LVCF_TEXT) CopyText(c.text, col->pszText, col->cchTextMax);
            if (col->mask & LVCF_WIDTH) col->cx = c.width;
            if (col->mask & LVCF_FMT) col->fmt = c.format;
            if (col->mask & LVCF_SUBITEM) col->iSubItem = c.subItem;
            return TRUE;
        }
        case LVM_SETCOLUMNA: {
            auto* col = reinterpret_cast<const LVCOLUMNA*>(lParam);
            if (!col || index < 0 || index >= static_cast<int>(d->columns.size())) {
                return FALSE;
            }
            Column& c = d->columns[static_cast<std::size_t>(index)];
            if ((col->mask & LVCF_TEXT) && col->pszText) c.text = col->pszText;
            if (col->mask & LVCF_WIDTH) c.width = col->cx;
            if (col->mask & LVCF_FMT) c.format = col->fmt;
            return TRUE;
        }
        case LVM_GETCOLUMNWIDTH:
            return index >= 0 && index < static_cast<int>(d->columns.size())
                       ? d->columns[static_cast<std::size_t>(index)].width
                       : 0;
        case LVM_SETCOLUMNWIDTH:
            if (index < 0 || index >= static_cast<int>(d->columns.size())) {
                return FALSE;
            }
            d->columns[static_cast<std::size_t>(index)].width = static_cast<int>(static_cast<short>(LOWORD(lParam)));
            return TRUE;
        case LVM_GETHEADER:
            return reinterpret_cast<LRESULT>(d->header);
        case LVM_GETCOLUMNORDERARRAY: {
            auto* out = reinterpret_cast<int*>(lParam);
            if (!out || index < static_cast<int>(d->order.size())) {
                return FALSE;
            }
            std::copy(d->order.begin(), d->order.end(), out);
            return TRUE;
        }
        case LVM_INSERTITEMA: {
            auto* item = reinterpret_cast<const LVITEMA*>(lParam);
            if (!item || item->iSubItem != 0) {
                return -1;
            }
            int at = std::clamp(item->iItem, 0, count);
            Row row;
            if (d->extended & LVS_EX_CHECKBOXES) {
                row.state = INDEXTOSTATEIMAGEMASK(1);
            }
            WriteItem(row, *item);
            d->rows.insert(d->rows.begin() + at, std::move(row));
            NMLISTVIEW record;
            record.iItem = at;
            NotifyParent(hwnd, record.hdr, LVN_INSERTITEM);
            return at;
        }
        case LVM_SETITEMA:
        case LVM_SETITEMTEXTA: {
            auto* item = reinterpret_cast<LVITEMA*>(lParam);
            int row = msg == LVM_SETITEMA ? (item ? item->iItem : -1) : index;
            if (!item || row < 0 || row >= count) {
                return FALSE;
            }
            LVITEMA copy = *item;
            if (msg == LVM_SETITEMTEXTA) {
                copy.mask = LVIF_TEXT;
            }
            WriteItem(d->rows[static_cast<std::size_t>(row)], copy);
            return TRUE;
        }
        case LVM_GETITEMA:
        case LVM_GETITEMTEXTA: {
            auto* item = reinterpret_cast<LVITEMA*>(lParam);
            int row = msg == LVM_GETITEMA ? (item ? item->iItem : -1) : index;
            if (!item || row < 0 || row >= count) {
                return msg == LVM_GETITEMA ? FALSE : 0;
            }
            Row& r = d->rows[static_cast<std::size_t>(row)];
            LRESULT length = 0;
            if (msg == LVM_GETITEMTEXTA || (item->mask & LVIF_TEXT)) {
                length = CopyText(Cell(r, item->iSubItem), item->pszText, item->cchTextMax);
            }
            if (msg == LVM_GETITEMA) {
                if (item->mask & LVIF_PARAM) item->lParam = r.param;
                if (item->mask & LVIF_STATE) item->state = r.state & item->stateMask;
                return TRUE;
            }
            return length;
        }
        case LVM_DELETEITEM: {
            if (index < 0 || index >= count) {
                return FALSE;
            }
            NMLISTVIEW record;
            record.iItem = index;
            record.lParam = d->rows[static_cast<std::size_t>(index)].param;
            NotifyParent(hwnd, record.hdr, LVN_DELETEITEM);
            if (auto* again = Get(hwnd); again && index < static_cast<int>(again->rows.size())) {
                again->rows.erase(again->rows.begin() + index);
            }
            return TRUE;
        }
        case LVM_DELETEALLITEMS:
            d->rows.clear();
            d->top = 0;
            return TRUE;
        case LVM_SETITEMSTATE: {
            auto* item = reinterpret_cast<const LVITEMA*>(lParam);
            if (!item) {
                return FALSE;
            }
            if (index == -1) {
                for (int i = 0; i < count; ++i) {
                    SetState(hwnd, i, item->state, item->stateMask);
                }
                return TRUE;
            }
            if (index < 0 || index >= count) {
                return FALSE;
            }
            SetState(hwnd, index, item->state, item->stateMask);
            return TRUE;
        }
        case LVM_GETITEMSTATE:
            return index >= 0 && index < count
                       ? static_cast<LRESULT>(d->rows[static_cast<std::size_t>(index)].state & static_cast<UINT>(lParam))
                       : 0;
        case LVM_GETNEXTITEM: {
            UINT flags = LOWORD(lParam);
            for (int i = index + 1; i < count; ++i) {
                UINT state = d->rows[static_cast<std::size_t>(i)].state;
                if (((flags & LVNI_SELECTED) && !(state & LVIS_SELECTED)) ||
                    ((flags & LVNI_FOCUSED) && !(state & LVIS_FOCUSED))) {
                    continue;
                }
                return i;
            }
            return -1;
        }
        case LVM_GETSELECTEDCOUNT:
            return std::count_if(d->rows.begin(), d->rows.end(), [](const Row& r) { return r.state & LVIS_SELECTED; });
        case LVM_SETEXTENDEDLISTVIEWSTYLE: {
            DWORD old = d->extended;
            DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
            d->extended = (old & ~mask) | (static_cast<DWORD>(lParam) & mask);
            if ((d->extended & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES)) {
                for (auto& r : d->rows) {
                    if (!(r.state & LVIS_STATEIMAGEMASK)) {
                        r.state |= INDEXTOSTATEIMAGEMASK(1);
                    }
                }
            }
            return static_cast<LRESULT>(old);
        }
        case LVM_GETEXTENDEDLISTVIEWSTYLE:
            return static_cast<LRESULT>(d->extended);
        case LVM_GETITEMRECT:
        case LVM_GETSUBITEMRECT: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            if (!rect || index < 0 || index >= count) {
                return FALSE;
            }
            int code = rect->left;
            int sub = msg == LVM_GETSUBITEMRECT ? rect->top : 0;
            if (msg == LVM_GETITEMRECT && code == LVIR_BOUNDS) {
                RECT first = CellRect(hwnd, *d, index, 0);
                int width = 0;
                for (auto& c : d->columns) width += c.width;
                *rect = RECT{-d->scrollX, first.top, -d->scrollX + width, first.bottom};
                return TRUE;
            }
            *rect = CellRect(hwnd, *d, index, sub);
            if (sub == 0 && (d->extended & LVS_EX_CHECKBOXES) && code == LVIR_LABEL) {
                rect->left += kCheckBoxWidth;
            }
            return TRUE;
        }
        case LVM_HITTEST:
        case LVM_SUBITEMHITTEST: {
            auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
            if (!info) {
                return -1;
            }
            HitTest(hwnd, *d, *info);
            return info->iItem;
        }
        case LVM_ENSUREVISIBLE: {
            if (index < 0 || index >= count) {
                return FALSE;
            }
            RECT client;
            GetClientRect(hwnd, &client);
            int perPage = std::max(1, static_cast<int>((client.bottom - kHeaderHeight) / RowHeight(hwnd)));
            if (index < d->top) {
                d->top = index;
            } else if (index >= d->top + perPage) {
                d->top = index - perPage + 1;
            }
            return TRUE;
        }
        case LVM_SCROLL:
            d->scrollX = std::max(0, d->scrollX + static_cast<int>(static_cast<LONG_PTR>(wParam)));
            d->top = std::clamp(d->top + static_cast<int>(lParam) / RowHeight(hwnd), 0, std::max(count - 1, 0));
            return TRUE;
        case LVM_GETTOPINDEX:
            return d->top;
        case LVM_GETCOUNTPERPAGE: {
            RECT client;
            GetClientRect(hwnd, &client);
            return std::max(1, static_cast<int>((client.bottom - kHeaderHeight) / RowHeight(hwnd)));
        }
        case LVM_REDRAWITEMS:
            return TRUE;
        case WM_LBUTTONDOWN:
            MouseDown(hwnd, lParam, false);
            return 0;
        case WM_LBUTTONDBLCLK:
            MouseDown(hwnd, lParam, true);
            return 0;
        case WM_KEYDOWN: {
            NMLVKEYDOWN record;
            record.wVKey = static_cast<WORD>(wParam);
            NotifyParent(hwnd, record.hdr, LVN_KEYDOWN);
            auto* again = Get(hwnd);
            if (!again) {
                return 0;
            }
            int current = static_cast<int>(SendMessageA(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
            if (wParam == VK_SPACE && current >= 0 && (again->extended & LVS_EX_CHECKBOXES)) {
                UINT state = again->rows[static_cast<std::size_t>(current)].state & LVIS_STATEIMAGEMASK;
                SetState(hwnd, current,
                         state == INDEXTOSTATEIMAGEMASK(2) ? INDEXTOSTATEIMAGEMASK(1) : INDEXTOSTATEIMAGEMASK(2),
                         LVIS_STATEIMAGEMASK);
            } else if ((wParam == VK_DOWN || wParam == VK_UP) && !again->rows.empty()) {
                int next = std::clamp(current + (wParam == VK_DOWN ? 1 : -1), 0, static_cast<int>(again->rows.size()) - 1);
                SelectOnly(hwnd, next);
            } else if (wParam == VK_RETURN) {
                NMHDR header;
                NotifyParent(hwnd, header, NM_RETURN);
            }
            return 0;
        }
        case WM_SIZE:
            if (IsWindow(d->header)) {
                MoveWindow(d->header, 0, 0, LOWORD(lParam), kHeaderHeight, FALSE);
            }
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND list = GetParent(hwnd);
    auto* d = Get(list);
    switch (msg) {
        case HDM_GETITEMCOUNT_:
            return d ? static_cast<LRESULT>(d->columns.size()) : -1;
        case HDM_GETITEMRECT_: {
            auto* rect = reinterpret_cast<RECT*>(lParam);
            int index = static_cast<int>(wParam);
            if (!d || !rect || index < 0 || index >= static_cast<int>(d->columns.size())) {
                return FALSE;
            }
            int left = ColumnLeft(*d, index);
            *rect = RECT{left, 0, left + d->columns[static_cast<std::size_t>(index)].width, kHeaderHeight};
            return TRUE;
        }
        case HDM_ORDERTOINDEX_: {
            int pos = static_cast<int>(wParam);
            return d && pos >= 0 && pos < static_cast<int>(d->order.size()) ? d->order[static_cast<std::size_t>(pos)]
                                                                             : pos;
        }
        case HDM_GETORDERARRAY_: {
            auto* out = reinterpret_cast<int*>(lParam);
            if (!d || !out || static_cast<int>(wParam) < static_cast<int>(d->order.size())) {
                return FALSE;
            }
            std::copy(d->order.begin(), d->order.end(), out);
            return TRUE;
        }
        case WM_LBUTTONDOWN: {
            // Clicks on the header are the list's column clicks.
            // The header lies at the list's top left, so the point is the same in both.
            return SendMessageA(list, WM_LBUTTONDOWN, wParam, lParam);
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
