// Wide (W) item messages of the common controls, answered by their narrow twins: the controls
// keep GBK texts, so a wide text goes in converted and comes out converted back.
#pragma once

#include <algorithm>
#include <string>

#include "platform/text/encoding.h"
#include "window_system.h"

namespace platform::ui::detail {

// Item is a record with pszText and cchTextMax (LVITEM, LVCOLUMN, TVITEM, TCITEM); its wide
// form has the same layout with a UTF-16 pointer.
template <typename Item>
LRESULT CallWithNarrowText(HWND hwnd, WNDPROC proc, UINT narrowMsg, WPARAM wParam, LPARAM lParam, Item* item,
                           bool textOut) {
    if (!item || !item->pszText || item->pszText == reinterpret_cast<LPSTR>(static_cast<std::intptr_t>(-1))) {
        return CallProc(proc, hwnd, narrowMsg, wParam, lParam, false);
    }
    auto* wide = reinterpret_cast<char16_t*>(item->pszText);
    int wideMax = item->cchTextMax;
    std::string narrow;
    if (textOut) {
        narrow.assign(static_cast<std::size_t>(std::max(wideMax, 1)) * 2 + 2, '\0');
        item->cchTextMax = static_cast<int>(narrow.size());
    } else {
        narrow = platform::text::Utf16ToGbk(wide);
    }
    item->pszText = narrow.data();
    LRESULT result = CallProc(proc, hwnd, narrowMsg, wParam, lParam, false);
    item->pszText = reinterpret_cast<LPSTR>(wide);
    item->cchTextMax = wideMax;
    if (textOut && wideMax > 0) {
        std::u16string text = platform::text::GbkToUtf16(narrow.c_str());
        std::size_t n = std::min(text.size(), static_cast<std::size_t>(wideMax - 1));
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), wide);
        wide[n] = u'\0';
        if (narrowMsg == LVM_GETITEMTEXTA) {
            result = static_cast<LRESULT>(n);  // the length, in the caller's units
        }
    }
    return result;
}

}  // namespace platform::ui::detail
