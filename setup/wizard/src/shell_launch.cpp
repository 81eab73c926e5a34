#include "shell_launch.h"

#include <array>

#include "platform/win/shell.h"

namespace Setup::detail {

void OpenWithShell(const std::u16string& file, const std::u16string& arguments, bool maximised) {
    ShellExecuteW(nullptr, u"open", file.c_str(), arguments.empty() ? nullptr : arguments.c_str(), nullptr,
                  maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
}

std::u16string ProgramFilesFolder() {
    std::array<char16_t, 260> folder{};
    SHGetSpecialFolderPathW(nullptr, folder.data(), 38, FALSE);
    return folder.data();
}

}  // namespace Setup::detail
