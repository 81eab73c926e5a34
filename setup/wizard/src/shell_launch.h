// The shell calls of the wizard, apart from the window headers whose show commands the shell's
// header repeats.
#pragma once

#include <string>

namespace Setup::detail {

// Opens a document or starts a program; maximised or in its normal state.
void OpenWithShell(const std::u16string& file, const std::u16string& arguments, bool maximised);
// The program-files folder (special folder 38).
std::u16string ProgramFilesFolder();

}  // namespace Setup::detail
