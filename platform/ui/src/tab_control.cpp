// Tab controls: a row of captioned tabs, one selected, laid out left to right at the top (or at
// the bottom with TCS_BOTTOM).
#include <algorithm>
#include <cstring>

#include "control_procs.h"
#include "platform/text/gbk.h"
#include "platform/ui/fonts.h"
#include "wide_items.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

struct Tab {
    std::string text;
    LPARAM param = 0;
};

struct TabData : ControlData {
    std::vector<Tab> tabs;
    int current = -1;
    int focus = -1;
};

RECT TabRect(HWND hwnd, const TabData& data, int index) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    RECT client;
    GetClientRect(hwnd, &client);
    bool bottom = (GetWindowLongA(hwnd, GWL_STYLE) & TCS_BOTTOM) != 0;
    int top = bottom ? std::max<int>(client.bottom - kHeaderHeight, 0) : 0;
    int x = 2;
    for (int i = 0; i < index; ++i) {
        x += TextWidth(font, data.tabs[static_cast<std::size_t>(i)].text) + 12;
    }
    int width = TextWidth(font, data.tabs[static_cast<std::size_t>(index)].text) + 12;
    return RECT{x, top, x + width, top + kHeaderHeight};
}

int HitTab(HWND hwnd, const TabData& data, POINT pt) {
    for (int i = 0; i < static_cast<int>(data.tabs.size()); ++i) {
        RECT r = TabRect(hwnd, data, i);
        if (PtInRect(&r, pt)) {
            return i;
        }
    }
    return -1;
}

void ReadItem(const Tab& tab, TCITEMA& item) {
    if ((item.mask & TCIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        std::string t = platform::text::TruncateGbk(tab.text, static_cast<std::size_t>(item.cchTextMax - 1));
        std::memcpy(item.pszText, t.data(), t.size());
        item.pszText[t.size()] = '\0';
    }
    if (item.mask & TCIF_PARAM) {
        item.lParam = tab.param;
    }
}

void WriteItem(Tab& tab, const TCITEMA& item) {
    if ((item.mask & TCIF_TEXT) && item.pszText) {
        tab.text = item.pszText;
    }
    if (item.mask & TCIF_PARAM) {
        tab.param = item.lParam;
    }
}

}  // namespace

LRESULT TabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {  // wide twins
        case TCM_INSERTITEMW:
            return CallWithNarrowText(hwnd, &TabControlProc, TCM_INSERTITEMA, wParam, lParam, reinterpret_cast<TCITEMA*>(lParam), false);
        case TCM_SETITEMW:
            return CallWithNarrowText(hwnd, &TabControlProc, TCM_SETITEMA, wParam, lParam, reinterpret_cast<TCITEMA*>(lParam), false);
        case TCM_GETITEMW:
            return CallWithNarrowText(hwnd, &TabControlProc, TCM_GETITEMA, wParam, lParam, reinterpret_cast<TCITEMA*>(lParam), true);
        default:
            break;
    }
    auto self = Find(hwnd);
    if (!self) {
        return 0;
    }
    auto* data = Ensure<TabData>(*self);
    int size = static_cast<int>(data->tabs.size());
    int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    bool valid = index >= 0 && index < size;
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case TCM_GETITEMCOUNT:
            return size;
        case TCM_INSERTITEMA: {
            auto* item = reinterpret_cast<const TCITEMA*>(lParam);
            if (!item || index < 0) {
                return -1;
            }
            index = std::min(index, size);
            Tab tab;
            WriteItem(tab, *item);
            data->tabs.insert(data->tabs.begin() + index, tab);
            if (data->current >= index) {
                ++data->current;
            }
            if (data->current < 0) {
                data->current = 0;  // the first tab inserted becomes the selected one
            }
            return index;
        }
        case TCM_DELETEITEM:
            if (!valid) {
                return FALSE;
            }
            data->tabs.erase(data->tabs.begin() + index);
            if (data->current == index) {
                data->current = -1;
            } else if (data->current > index) {
                --data->current;
            }
            if (data->focus >= static_cast<int>(data->tabs.size())) {
                data->focus = -1;
            }
            return TRUE;
        case TCM_DELETEALLITEMS:
            data->tabs.clear();
            data->current = data->focus = -1;
            return TRUE;
        case TCM_GETITEMA:
            if (!valid || !lParam) {
                return FALSE;
            }
            ReadItem(data->tabs[static_cast<std::size_t>(index)], *reinterpret_cast<TCITEMA*>(lParam));
            return TRUE;
        case TCM_SETITEMA:
            if (!valid || !lParam) {
                return FALSE;
            }
            WriteItem(data->tabs[static_cast<std::size_t>(index)], *reinterpret_cast<const TCITEMA*>(lParam));
            return TRUE;
        case TCM_GETCURSEL:
            return data->current;
        case TCM_SETCURSEL: {
            int old = data->current;
            if (index < size) {
                data->current = valid ? index : -1;
            }
            return old;
        }
        case TCM_GETCURFOCUS:
            return data->focus >= 0 ? data->focus : data->current;
        case TCM_SETCURFOCUS:
            if (valid) {
                data->focus = index;
            }
            return 0;
        case TCM_GETITEMRECT:
            if (!valid || !lParam) {
                return FALSE;
            }
            *reinterpret_cast<RECT*>(lParam) = TabRect(hwnd, *data, index);
            return TRUE;
        case TCM_HITTEST: {
            auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
            return info ? HitTab(hwnd, *data, info->pt) : -1;
        }
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd);
            int hit = HitTab(hwnd, *data, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            if (hit < 0 || hit == data->current) {
                return 0;
            }
            NMHDR header;
            if (NotifyParent(hwnd, header, TCN_SELCHANGING)) {
                return 0;  // the parent refused the change
            }
            if (auto* d = Data<TabData>(hwnd); d && hit < static_cast<int>(d->tabs.size())) {
                d->current = hit;
                d->focus = hit;
            }
            NMHDR changed;
            NotifyParent(hwnd, changed, TCN_SELCHANGE);
            return 0;
        }
        case WM_LBUTTONDBLCLK:
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
