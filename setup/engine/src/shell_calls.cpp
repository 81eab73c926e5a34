#include "platform/win/shell.h"
#include "run_support.h"

namespace Setup::detail {

void OpenThroughShell(const std::u16string& file, const char16_t* verb, bool activate) {
    ShellExecuteW(nullptr, verb, file.c_str(), nullptr, nullptr, activate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
}

void AddFont(const std::u16string& fontFile) { AddFontResourceW(fontFile.c_str()); }

}  // namespace Setup::detail
