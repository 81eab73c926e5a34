// Up-down controls: a position in a range, shown in a buddy window.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "control_procs.h"
#include "platform/text/gbk.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

struct UpDownData : ControlData {
    HWND buddy = nullptr;
    int low = 100;  // a new up-down counts from 100 down to 0, as on the desktop
    int high = 0;
    int pos = 0;
};

int Clamp(const UpDownData& d, int pos) { return std::clamp(pos, std::min(d.low, d.high), std::max(d.low, d.high)); }

bool SetsBuddy(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_STYLE) & UDS_SETBUDDYINT) != 0; }

void WriteBuddy(HWND hwnd, const UpDownData& d) {
    if (SetsBuddy(hwnd) && IsWindow(d.buddy)) {
        SetWindowTextA(d.buddy, std::to_string(d.pos).c_str());
    }
}

// Takes the buddy's number as the position, as the control does before it answers.
bool ReadBuddy(HWND hwnd, UpDownData& d) {
    if (!SetsBuddy(hwnd) || !IsWindow(d.buddy)) {
        return true;
    }
    char text[64] = {};
    GetWindowTextA(d.buddy, text, sizeof text);
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0') {
        return false;
    }
    d.pos = Clamp(d, static_cast<int>(value));
    return true;
}

}  // namespace

LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto self = Find(hwnd);
    auto* d = Ensure<UpDownData>(hwnd);
    if (!d) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    switch (msg) {
        case UDM_SETBUDDY: {
            HWND old = d->buddy;
            d->buddy = reinterpret_cast<HWND>(wParam);
            return reinterpret_cast<LRESULT>(old);
        }
        case UDM_GETBUDDY:
            return reinterpret_cast<LRESULT>(d->buddy);
        case UDM_SETRANGE:
            d->high = static_cast<short>(LOWORD(lParam));
            d->low = static_cast<short>(HIWORD(lParam));
            return 0;
        case UDM_SETRANGE32:
            d->low = static_cast<int>(static_cast<LONG_PTR>(wParam));
            d->high = static_cast<int>(lParam);
            return 0;
        case UDM_GETRANGE:
            return MAKELONG(d->high, d->low);
        case UDM_GETRANGE32:
            if (wParam) {
                *reinterpret_cast<int*>(wParam) = d->low;
            }
            if (lParam) {
                *reinterpret_cast<int*>(lParam) = d->high;
            }
            return 0;
        case UDM_SETPOS:
        case UDM_SETPOS32: {
            int old = d->pos;
            int value = msg == UDM_SETPOS ? static_cast<short>(LOWORD(lParam)) : static_cast<int>(lParam);
            d->pos = Clamp(*d, value);
            WriteBuddy(hwnd, *d);
            return old;
        }
        case UDM_GETPOS: {
            bool ok = ReadBuddy(hwnd, *d);
            return MAKELONG(d->pos, ok ? 0 : 1);
        }
        case UDM_GETPOS32: {
            bool ok = ReadBuddy(hwnd, *d);
            if (lParam) {
                *reinterpret_cast<BOOL*>(lParam) = ok ? FALSE : TRUE;
            }
            return d->pos;
        }
        case WM_LBUTTONDOWN: {
            // Upper half: the up arrow, towards the upper end of the range.
            RECT r;
            GetClientRect(hwnd, &r);
            bool up = GET_Y_LPARAM(lParam) < r.bottom / 2;
            ReadBuddy(hwnd, *d);
            int step = (d->high >= d->low) ? 1 : -1;
            NMUPDOWN record;
            record.iPos = d->pos;
            record.iDelta = up ? step : -step;
            if (NotifyParent(hwnd, record.hdr, UDN_DELTAPOS)) {
                return 0;
            }
            auto* again = Data<UpDownData>(hwnd);
            if (!again) {
                return 0;
            }
            int next = again->pos + record.iDelta;
            if (GetWindowLongA(hwnd, GWL_STYLE) & UDS_WRAP) {
                int lo = std::min(again->low, again->high);
                int hi = std::max(again->low, again->high);
                if (next > hi) next = lo;
                if (next < lo) next = hi;
            }
            next = Clamp(*again, next);
            if (next == again->pos) {
                return 0;
            }
            again->pos = next;
            WriteBuddy(hwnd, *again);
            SendMessageA(GetParent(hwnd), WM_VSCROLL, MAKEWPARAM(4 /* SB_THUMBPOSITION */, next),
                         reinterpret_cast<LPARAM>(hwnd));
            return 0;
        }
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
