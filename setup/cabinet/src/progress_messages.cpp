#include "setup/cabinet/progress_messages.h"

#include <algorithm>
#include <cstring>

#include "platform/ui/window_api.h"

namespace Setup {

std::atomic<HWND> g_progressWindow{nullptr};
std::atomic<int> g_progressPosition{0};

WCHAR* DuplicateWideString(std::u16string_view text) {
    if (text.empty()) return new WCHAR[2]{};
    auto* block = new WCHAR[text.size() + 3]{};
    std::copy(text.begin(), text.end(), block);
    return block;
}

WCHAR* DuplicateWideString(const WCHAR* text) {
    return DuplicateWideString(text ? std::u16string_view(text) : std::u16string_view());
}

LRESULT SendProgressText(HWND window, UINT msg, WPARAM wParam, std::u16string_view text) {
    WCHAR* copy = DuplicateWideString(text);
    if (!window || !IsWindow(window)) {
        delete[] copy;
        return 0;
    }
    return SendMessageW(window, msg, wParam, reinterpret_cast<LPARAM>(copy));
}

}  // namespace Setup
