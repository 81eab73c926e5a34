// What the engine's tests record of a progress page: each message with its text, freed as the
// pages free it.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "platform/text/encoding.h"
#include "platform/ui/window_api.h"
#include "setup/cabinet/progress_messages.h"

namespace enginetest {

struct Line {
    UINT msg;
    WPARAM wParam;
    std::u16string text;
    bool operator==(const Line&) const = default;
};
inline void PrintTo(const Line& line, std::ostream* out) {
    *out << line.msg << " " << line.wParam << " " << platform::text::Utf16ToUtf8(line.text);
}

// Keeps a message a worker sent: a range carries no text; any other text is taken and freed.
inline void Record(std::vector<Line>& lines, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == Setup::WM_SETUP_RANGE || msg == Setup::WM_PATCH_RANGE) {
        lines.push_back({msg, wParam, {}});
        return;
    }
    auto* text = reinterpret_cast<WCHAR*>(lParam);
    lines.push_back({msg, wParam, text ? std::u16string(text) : u"<null>"});
    delete[] text;
}

// Registers the window class of a recording page.
inline bool RegisterPageClass(const char* name, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != FALSE;
}

}  // namespace enginetest
