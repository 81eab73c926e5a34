// Progress bars: a position in a range.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "control_procs.h"
#include "platform/text/gbk.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

struct ProgressData : ControlData {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
};

}  // namespace

LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto self = Find(hwnd);
    auto* d = Ensure<ProgressData>(hwnd);
    if (!d) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    auto clamp = [&](int v) { return std::clamp(v, d->low, std::max(d->low, d->high)); };
    switch (msg) {
        case PBM_SETRANGE: {
            LRESULT old = MAKELONG(d->low, d->high);
            d->low = LOWORD(lParam);
            d->high = HIWORD(lParam);
            d->pos = clamp(d->pos);
            return old;
        }
        case PBM_SETRANGE32: {
            LRESULT old = MAKELONG(d->low, d->high);
            d->low = static_cast<int>(static_cast<LONG_PTR>(wParam));
            d->high = static_cast<int>(lParam);
            d->pos = clamp(d->pos);
            return old;
        }
        case PBM_GETRANGE:
            if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
                range->iLow = d->low;
                range->iHigh = d->high;
            }
            return wParam ? d->low : d->high;
        case PBM_SETPOS: {
            int old = d->pos;
            d->pos = clamp(static_cast<int>(static_cast<LONG_PTR>(wParam)));
            return old;
        }
        case PBM_DELTAPOS: {
            int old = d->pos;
            d->pos = clamp(d->pos + static_cast<int>(static_cast<LONG_PTR>(wParam)));
            return old;
        }
        case PBM_SETSTEP: {
            int old = d->step;
            d->step = static_cast<int>(static_cast<LONG_PTR>(wParam));
            return old;
        }
        case PBM_STEPIT: {
            int old = d->pos;
            int next = d->pos + d->step;
            // Stepping past the end starts again from the beginning.
            d->pos = next > d->high ? d->low + (next - d->high) : clamp(next);
            return old;
        }
        case PBM_GETPOS:
            return d->pos;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
