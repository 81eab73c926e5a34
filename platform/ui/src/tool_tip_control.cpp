// Tool tips: the texts of the tools, kept for reading back (nothing pops up headless).
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "control_procs.h"
#include "platform/text/gbk.h"
#include "window_system.h"

namespace platform::ui::detail {
namespace {

struct Tool {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    std::string text;
};

struct ToolTipData : ControlData {
    std::vector<Tool> tools;
    bool active = true;
    int relayed = 0;
};

}  // namespace

LRESULT ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto self = Find(hwnd);
    auto* d = Ensure<ToolTipData>(hwnd);
    if (!d) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    auto* info = reinterpret_cast<TOOLINFOA*>(lParam);
    auto find = [&](const TOOLINFOA& ti) {
        return std::find_if(d->tools.begin(), d->tools.end(),
                            [&](const Tool& t) { return t.hwnd == ti.hwnd && t.id == ti.uId; });
    };
    switch (msg) {
        case TTM_ACTIVATE:
            d->active = wParam != 0;
            return 0;
        case TTM_ADDTOOLA: {
            if (!info) {
                return FALSE;
            }
            Tool tool{info->hwnd, info->uId, info->lpszText && info->lpszText != reinterpret_cast<LPSTR>(-1)
                                                 ? std::string(info->lpszText)
                                                 : std::string()};
            auto it = find(*info);
            if (it != d->tools.end()) {
                *it = tool;
            } else {
                d->tools.push_back(tool);
            }
            return TRUE;
        }
        case TTM_DELTOOLA:
            if (info) {
                auto it = find(*info);
                if (it != d->tools.end()) {
                    d->tools.erase(it);
                }
            }
            return 0;
        case TTM_GETTOOLCOUNT:
            return static_cast<LRESULT>(d->tools.size());
        case TTM_GETTEXTA:
            if (info && info->lpszText) {
                auto it = find(*info);
                std::string text = it == d->tools.end() ? std::string() : it->text;
                std::string cut = platform::text::TruncateGbk(text, wParam ? wParam - 1 : 79);
                std::memcpy(info->lpszText, cut.data(), cut.size());
                info->lpszText[cut.size()] = '\0';
            }
            return 0;
        case TTM_RELAYEVENT:
            ++d->relayed;
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace platform::ui::detail
