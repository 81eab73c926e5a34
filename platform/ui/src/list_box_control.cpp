// List boxes and combo boxes: a list of texts with item data and one current entry.
#include <algorithm>
#include <cstring>

#include "control_procs.h"
#include "platform/text/encoding.h"
#include "platform/text/gbk.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

struct Entry {
    std::string text;  // GBK
    LPARAM data = 0;
};

struct ListData : ControlData {
    std::vector<Entry> entries;
    int current = -1;
    int top = 0;
    bool dropped = false;
    int extent = 0;
};

std::string ArgText(LPARAM lParam) {
    if (!lParam) {
        return {};
    }
    return IsWideCall() ? platform::text::Utf16ToGbk(reinterpret_cast<LPCWSTR>(lParam))
                        : std::string(reinterpret_cast<LPCSTR>(lParam));
}

LRESULT CopyEntry(const std::string& gbk, LPARAM buffer) {
    if (!buffer) {
        return -1;
    }
    if (IsWideCall()) {
        std::u16string wide = platform::text::GbkToUtf16(gbk);
        std::copy(wide.begin(), wide.end(), reinterpret_cast<char16_t*>(buffer));
        reinterpret_cast<char16_t*>(buffer)[wide.size()] = u'\0';
        return static_cast<LRESULT>(wide.size());
    }
    std::memcpy(reinterpret_cast<char*>(buffer), gbk.data(), gbk.size());
    reinterpret_cast<char*>(buffer)[gbk.size()] = '\0';
    return static_cast<LRESULT>(gbk.size());
}

int Insert(ListData& data, int index, std::string text, bool sorted) {
    if (sorted) {
        auto it = std::find_if(data.entries.begin(), data.entries.end(), [&](const Entry& e) {
            return platform::text::GbkCompareNoCase(text, e.text) < 0;
        });
        index = static_cast<int>(it - data.entries.begin());
    } else if (index < 0 || index > static_cast<int>(data.entries.size())) {
        index = static_cast<int>(data.entries.size());
    }
    data.entries.insert(data.entries.begin() + index, Entry{std::move(text), 0});
    if (data.current >= index) {
        ++data.current;
    }
    return index;
}

int FindEntry(const ListData& data, int after, const std::string& text, bool exact) {
    int n = static_cast<int>(data.entries.size());
    for (int k = 1; k <= n; ++k) {
        int i = (after + k) % n;
        if (after < 0) {
            i = k - 1;
        }
        const std::string& e = data.entries[static_cast<std::size_t>(i)].text;
        bool hit = exact ? platform::text::GbkEqualNoCase(e, text)
                         : platform::text::GbkCompareNoCase(e.substr(0, text.size()), text) == 0;
        if (hit) {
            return i;
        }
    }
    return -1;
}

// Messages list boxes and combo boxes share; `combo` picks the combo box numbering.
bool CommonListMessage(HWND hwnd, ListData& data, UINT msg, WPARAM wParam, LPARAM lParam, bool combo, LRESULT& result) {
    const UINT add = combo ? CB_ADDSTRING : LB_ADDSTRING;
    const UINT insert = combo ? CB_INSERTSTRING : LB_INSERTSTRING;
    const UINT remove = combo ? CB_DELETESTRING : LB_DELETESTRING;
    const UINT reset = combo ? CB_RESETCONTENT : LB_RESETCONTENT;
    const UINT count = combo ? CB_GETCOUNT : LB_GETCOUNT;
    const UINT getText = combo ? CB_GETLBTEXT : LB_GETTEXT;
    const UINT getTextLen = combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
    const UINT getData = combo ? CB_GETITEMDATA : LB_GETITEMDATA;
    const UINT setData = combo ? CB_SETITEMDATA : LB_SETITEMDATA;
    const UINT findExact = combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT;
    const UINT getCur = combo ? CB_GETCURSEL : LB_GETCURSEL;
    const DWORD sortStyle = combo ? CBS_SORT : LBS_SORT;
    int size = static_cast<int>(data.entries.size());
    int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    bool valid = index >= 0 && index < size;
    if (msg == add) {
        result = Insert(data, -1, ArgText(lParam), (GetWindowLongA(hwnd, GWL_STYLE) & sortStyle) != 0);
    } else if (msg == insert) {
        result = Insert(data, index, ArgText(lParam), false);
    } else if (msg == remove) {
        if (!valid) {
            result = -1;
            return true;
        }
        data.entries.erase(data.entries.begin() + index);
        if (data.current == index) {
            data.current = -1;
        } else if (data.current > index) {
            --data.current;
        }
        result = static_cast<LRESULT>(data.entries.size());
    } else if (msg == reset) {
        data.entries.clear();
        data.current = -1;
        result = 0;
    } else if (msg == count) {
        result = size;
    } else if (msg == getText) {
        result = valid ? CopyEntry(data.entries[static_cast<std::size_t>(index)].text, lParam) : -1;
    } else if (msg == getTextLen) {
        if (!valid) {
            result = -1;
        } else {
            const std::string& t = data.entries[static_cast<std::size_t>(index)].text;
            result = IsWideCall() ? static_cast<LRESULT>(platform::text::GbkToUtf16(t).size())
                                  : static_cast<LRESULT>(t.size());
        }
    } else if (msg == getData) {
        result = valid ? data.entries[static_cast<std::size_t>(index)].data : -1;
    } else if (msg == setData) {
        if (valid) {
            data.entries[static_cast<std::size_t>(index)].data = lParam;
        }
        result = valid ? 0 : -1;
    } else if (msg == findExact) {
        result = size == 0 ? -1 : FindEntry(data, index, ArgText(lParam), true);
    } else if (msg == getCur) {
        result = data.current;
    } else {
        return false;
    }
    return true;
}

std::shared_ptr<Window> Init(HWND hwnd) {
    auto self = Find(hwnd);
    if (self) {
        Ensure<ListData>(*self);
    }
    return self;
}

void SetComboText(HWND hwnd, ListData& data) {
    std::string text = data.current >= 0 ? data.entries[static_cast<std::size_t>(data.current)].text : std::string();
    DefaultTextMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

LRESULT ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto self = Init(hwnd);
    auto* data = self ? dynamic_cast<ListData*>(self->data.get()) : nullptr;
    if (!data) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonListMessage(hwnd, *data, msg, wParam, lParam, false, result)) {
        return result;
    }
    int size = static_cast<int>(data->entries.size());
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case LB_SETCURSEL: {
            int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
            data->current = (index >= 0 && index < size) ? index : -1;
            return index >= size ? LB_ERR : data->current;
        }
        case LB_GETSEL:
            return static_cast<int>(wParam) == data->current && data->current >= 0;
        case LB_GETTOPINDEX:
            return data->top;
        case LB_SETTOPINDEX:
            data->top = std::clamp(static_cast<int>(wParam), 0, std::max(size - 1, 0));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            SetFocus(hwnd);
            int row = data->top + GET_Y_LPARAM(lParam) / kRowHeight;
            if (row < 0 || row >= size) {
                return 0;
            }
            bool notify = (GetWindowLongA(hwnd, GWL_STYLE) & LBS_NOTIFY) != 0;
            if (msg == WM_LBUTTONDBLCLK) {
                if (notify) {
                    NotifyParentCommand(hwnd, LBN_DBLCLK);
                }
                return 0;
            }
            if (row != data->current) {
                data->current = row;
                if (notify) {
                    NotifyParentCommand(hwnd, LBN_SELCHANGE);
                }
            }
            return 0;
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto self = Init(hwnd);
    auto* data = self ? dynamic_cast<ListData*>(self->data.get()) : nullptr;
    if (!data) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (CommonListMessage(hwnd, *data, msg, wParam, lParam, true, result)) {
        return result;
    }
    int size = static_cast<int>(data->entries.size());
    bool dropList = (GetWindowLongA(hwnd, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST;
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS | (data->dropped ? DLGC_WANTALLKEYS : 0);
        case CB_SETCURSEL: {
            int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
            data->current = (index >= 0 && index < size) ? index : -1;
            SetComboText(hwnd, *data);
            return data->current >= 0 || index == -1 ? data->current : CB_ERR;
        }
        case CB_SELECTSTRING: {
            int found = size == 0 ? -1 : FindEntry(*data, static_cast<int>(static_cast<LONG_PTR>(wParam)), ArgText(lParam), false);
            if (found >= 0) {
                data->current = found;
                SetComboText(hwnd, *data);
            }
            return found;
        }
        case CB_FINDSTRING:
            return size == 0 ? -1 : FindEntry(*data, static_cast<int>(static_cast<LONG_PTR>(wParam)), ArgText(lParam), false);
        case CB_SHOWDROPDOWN: {
            bool drop = wParam != 0;
            if (drop == data->dropped) {
                return TRUE;
            }
            data->dropped = drop;
            NotifyParentCommand(hwnd, drop ? CBN_DROPDOWN : CBN_CLOSEUP);
            return TRUE;
        }
        case CB_GETDROPPEDSTATE:
            return data->dropped;
        case CB_SETHORIZONTALEXTENT:
            data->extent = static_cast<int>(wParam);
            return 0;
        case CB_GETHORIZONTALEXTENT:
            return data->extent;
        case WM_SETTEXT:
            if (dropList) {
                return CB_ERR;
            }
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        case WM_KEYDOWN:
            if (data->dropped && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
                if (wParam == VK_ESCAPE) {
                    NotifyParentCommand(hwnd, CBN_SELENDCANCEL);
                } else {
                    NotifyParentCommand(hwnd, CBN_SELENDOK);
                }
                SendMessageA(hwnd, CB_SHOWDROPDOWN, FALSE, 0);
            } else if (wParam == VK_DOWN || wParam == VK_UP) {
                int next = std::clamp(data->current + (wParam == VK_DOWN ? 1 : -1), 0, std::max(size - 1, 0));
                if (size > 0 && next != data->current) {
                    data->current = next;
                    SetComboText(hwnd, *data);
                    NotifyParentCommand(hwnd, CBN_SELCHANGE);
                }
            }
            return 0;
        case WM_LBUTTONDOWN: {
            // A click on the closed box opens the list; a click in the open list (rows below the
            // box) picks that entry and closes it.
            SetFocus(hwnd);
            RECT r;
            GetClientRect(hwnd, &r);
            int y = GET_Y_LPARAM(lParam);
            int boxHeight = std::min<int>(r.bottom, 24);
            if (!data->dropped) {
                SendMessageA(hwnd, CB_SHOWDROPDOWN, TRUE, 0);
                return 0;
            }
            if (y < boxHeight) {
                SendMessageA(hwnd, CB_SHOWDROPDOWN, FALSE, 0);
                return 0;
            }
            int row = (y - boxHeight) / kRowHeight;
            if (row >= 0 && row < size) {
                data->current = row;
                SetComboText(hwnd, *data);
                NotifyParentCommand(hwnd, CBN_SELCHANGE);
                NotifyParentCommand(hwnd, CBN_SELENDOK);
            }
            SendMessageA(hwnd, CB_SHOWDROPDOWN, FALSE, 0);
            return 0;
        }
        case WM_SETFOCUS:
            NotifyParentCommand(hwnd, CBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            if (data->dropped) {
                data->dropped = false;
                NotifyParentCommand(hwnd, CBN_CLOSEUP);
            }
            NotifyParentCommand(hwnd, CBN_KILLFOCUS);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
