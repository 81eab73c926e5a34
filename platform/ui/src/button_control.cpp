// Buttons (push, default push, check box, radio, group box, owner-drawn) and statics.
#include "control_procs.h"
#include "paint.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

constexpr UINT ODT_BUTTON_ = 4;

struct ButtonData : ControlData {
    WPARAM check = BST_UNCHECKED;
    bool pushed = false;
    HANDLE image = nullptr;
};

struct StaticData : ControlData {
    HANDLE image = nullptr;
};

DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }
DWORD Type(HWND hwnd) { return Style(hwnd) & BS_TYPEMASK; }

bool IsCheckable(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_3STATE ||
           type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

// Unchecks the other automatic radio buttons of the group (siblings between WS_GROUP marks).
void CheckInGroup(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    std::vector<HWND> siblings;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        siblings.push_back(c);
    }
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    if (it == siblings.end()) {
        return;
    }
    auto first = it;
    while (first != siblings.begin() && !(Style(*first) & WS_GROUP)) {
        --first;
    }
    for (auto c = first; c != siblings.end(); ++c) {
        if (c != first && (Style(*c) & WS_GROUP)) {
            break;
        }
        if (*c != hwnd && Type(*c) == BS_AUTORADIOBUTTON) {
            SendMessageA(*c, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
    SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
}

void Clicked(HWND hwnd) {
    auto* data = Data<ButtonData>(hwnd);
    DWORD type = Type(hwnd);
    if (data && type == BS_AUTOCHECKBOX) {
        data->check = data->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    } else if (data && type == BS_AUTO3STATE) {
        data->check = (data->check + 1) % 3;
    } else if (type == BS_AUTORADIOBUTTON) {
        CheckInGroup(hwnd);
    }
    NotifyParentCommand(hwnd, BN_CLICKED);
}

}  // namespace

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* data = Data<ButtonData>(hwnd);
    switch (msg) {
        case WM_NCCREATE:
            if (auto w = Find(hwnd)) {
                std::lock_guard lock(TableMutex());
                w->data = std::make_unique<ButtonData>();
            }
            return TRUE;
        case WM_GETDLGCODE: {
            DWORD type = Type(hwnd);
            if (type == BS_GROUPBOX) {
                return DLGC_STATIC;
            }
            if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
                return DLGC_BUTTON | DLGC_RADIOBUTTON;
            }
            if (IsCheckable(type)) {
                return DLGC_BUTTON;
            }
            return DLGC_BUTTON | (type == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        }
        case BM_GETCHECK:
            return data && IsCheckable(Type(hwnd)) ? static_cast<LRESULT>(data->check) : 0;
        case BM_SETCHECK:
            if (data && IsCheckable(Type(hwnd))) {
                data->check = wParam;
            }
            return 0;
        case BM_GETSTATE:
            return data ? static_cast<LRESULT>(data->check) | (data->pushed ? BST_PUSHED : 0) |
                              (GetFocus() == hwnd ? BST_FOCUS : 0)
                        : 0;
        case BM_SETSTATE:
            if (data) {
                data->pushed = wParam != 0;
            }
            return 0;
        case BM_SETSTYLE: {
            DWORD style = Style(hwnd);
            SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((style & ~0xFFFFu) | (wParam & 0xFFFF)));
            return 0;
        }
        case BM_SETIMAGE: {
            HANDLE old = data ? data->image : nullptr;
            if (data) {
                data->image = reinterpret_cast<HANDLE>(lParam);
            }
            return reinterpret_cast<LRESULT>(old);
        }
        case BM_GETIMAGE:
            return data ? reinterpret_cast<LRESULT>(data->image) : 0;
        case BM_CLICK:
            SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
            SendMessageA(hwnd, WM_LBUTTONUP, 0, 0);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (Type(hwnd) == BS_GROUPBOX || !data) {
                return 0;
            }
            if (Style(hwnd) & WS_TABSTOP || Type(hwnd) <= BS_DEFPUSHBUTTON) {
                SetFocus(hwnd);
            }
            data->pushed = true;
            SetCapture(hwnd);
            return 0;
        case WM_LBUTTONUP: {
            if (!data || !data->pushed) {
                return 0;
            }
            data->pushed = false;
            if (GetCapture() == hwnd) {
                ReleaseCapture();
            }
            RECT client;
            GetClientRect(hwnd, &client);
            POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (PtInRect(&client, pt)) {
                Clicked(hwnd);
            }
            return 0;
        }
        case WM_PAINT:
            if (Type(hwnd) == BS_OWNERDRAW && data) {
                // An owner-drawn button is drawn by its parent's WM_DRAWITEM (reflected to its object).
                HDC dc = platform::ui::BeginPaintDc(hwnd);
                DRAWITEMSTRUCT item;
                item.CtlType = ODT_BUTTON_;
                item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
                item.itemAction = 1;  // draw entire
                item.itemState = (data->pushed ? 0x0001u : 0u) | (IsWindowEnabled(hwnd) ? 0u : 0x0004u) |
                                 (GetFocus() == hwnd ? 0x0010u : 0u);
                item.hwndItem = hwnd;
                item.hDC = dc;
                GetClientRect(hwnd, &item.rcItem);
                SendMessageA(GetParent(hwnd), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
                platform::ui::EndPaintDc(hwnd, dc);
            }
            return 0;
        case WM_CHAR:
            if (wParam == ' ' && Type(hwnd) != BS_GROUPBOX) {
                Clicked(hwnd);
            }
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NCCREATE:
            if (auto w = Find(hwnd)) {
                std::lock_guard lock(TableMutex());
                w->data = std::make_unique<StaticData>();
            }
            return TRUE;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case STM_SETICON:
        case STM_SETIMAGE: {
            auto* data = Data<StaticData>(hwnd);
            HANDLE old = data ? data->image : nullptr;
            if (data) {
                data->image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? static_cast<LPARAM>(wParam) : lParam);
            }
            return reinterpret_cast<LRESULT>(old);
        }
        case STM_GETICON: {
            auto* data = Data<StaticData>(hwnd);
            return data ? reinterpret_cast<LRESULT>(data->image) : 0;
        }
        case WM_LBUTTONDOWN:
            if (GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY) {
                NotifyParentCommand(hwnd, STN_CLICKED);
            }
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
