// What the install and patch runs share besides the backups: the Windows folder, reports to the
// progress window, and the lower-case extension test of component files.
#pragma once

#include <string>
#include <string_view>

#include "engine_support.h"
#include "platform/win/folders.h"
#include "setup/cabinet/progress_messages.h"

namespace Setup::detail {

inline std::u16string WindowsFolder() {
    char16_t buffer[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    return std::u16string(buffer, length < MAX_PATH ? length : 0);
}

inline void Report(UINT msg, WPARAM wParam, std::u16string_view text) {
    SendProgressText(g_progressWindow.load(), msg, wParam, text);
}

// A line at the current position.
inline void ReportAt(UINT msg, std::u16string_view text) {
    Report(msg, static_cast<WPARAM>(g_progressPosition.load()), text);
}

inline bool HasExtension(std::u16string_view path, std::u16string_view extension) {
    return path.size() >= extension.size() && EqualNoCase(path.substr(path.size() - extension.size()), extension);
}

// The shell's calls, kept in a file of their own (the shell's declarations clash with the window
// and thread ones): open a file with a verb, shown normally or without activation; add a font.
void OpenThroughShell(const std::u16string& file, const char16_t* verb, bool activate);
void AddFont(const std::u16string& fontFile);

inline std::u16string FileNameOf(std::u16string_view path) {
    const std::size_t cut = path.rfind(u'\\');
    return std::u16string(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace Setup::detail
